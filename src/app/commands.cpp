#include "commands.h"

#include "dialogs/colorfrm.h"
#include "dialogs/stylefrm.h"
#include "platform/pickers.h"
#include "tools/pathfrm.h"

namespace Commands {

void installPickers()
{
    Pickers::colour = runColourPicker;
    Pickers::path = runPathPicker;
    Pickers::style = runStylePicker;
}

}
