#include "composition.h"

#include <QWidget>

#ifdef TARNELL_WEBENGINE
#include <QFileInfo>
#include <QGuiApplication>
#include <QOpenGLWidget>
#include <QPointer>
#if TARNELL_WIDGETS_PRIVATE
#include <QtWidgets/private/qwidget_p.h>
#endif
#include <dlfcn.h>
#include <thread>
#endif

namespace {

const char *const kPrepared = "tarnellPreparedForBrowser";

}

namespace Composition {

void loadDriverSoon()
{
#if defined(TARNELL_WEBENGINE) && TARNELL_WIDGETS_PRIVATE
    if (QGuiApplication::platformName() != QLatin1String("xcb") || qEnvironmentVariableIsSet("LIBGL_DRIVERS_PATH"))
        return;
    // The window's OpenGL drawing loads the vendor's GLX library and Mesa's driver, tens of
    // milliseconds of relocations (the driver brings LLVM). Mesa's drivers are one library
    // under many names, so whichever name the display picks later finds it loaded. The
    // libraries stay loaded, as they would once the window uses them.
    QByteArray driver;
    for (const char *folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib/aarch64-linux-gnu/dri", "/usr/lib64/dri", "/usr/lib/dri"}) {
        const QString path = QString::fromLatin1(folder) + QStringLiteral("/swrast_dri.so");
        if (QFileInfo::exists(path)) {
            driver = QFile::encodeName(path);
            break;
        }
    }
    std::thread([driver] {
        dlopen("libGLX_mesa.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!driver.isEmpty())
            dlopen(driver.constData(), RTLD_NOW | RTLD_LOCAL);
    }).detach();
#endif
}

void prepareWindow(QWidget *window)
{
#ifdef TARNELL_WEBENGINE
    // Headless platforms may lack OpenGL; their windows stay as they are.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return;
    // A window made while an OpenGL widget is inside gets a native window and a compositor
    // for OpenGL; a browser shown later then keeps that window.
    auto *surface = new QOpenGLWidget(window);
    surface->setObjectName("PreviewSurface");
    surface->hide();
#if TARNELL_WIDGETS_PRIVATE
    // Under Wayland the window's surface takes its pictures through OpenGL only; it keeps
    // composing (which the compositor's graphics card does anyway).
    if (platform != QLatin1String("xcb"))
        return;
    // The widget has done its work once the window exists. Until a browser is shown the
    // window is drawn the plain way; Qt switches the composition on by itself when a
    // browser is put into the window, and browserVisibilityChanged() switches it off and on.
    window->winId();
    delete surface;
    QWidgetPrivate::get(window)->usesRhiFlush = false;
    window->setProperty(kPrepared, true);
#endif
#else
    (void)window;
#endif
}

void browserVisibilityChanged(QWidget *browser)
{
#if defined(TARNELL_WEBENGINE) && TARNELL_WIDGETS_PRIVATE
    QWidget *window = browser->window();
    if (!window->property(kPrepared).toBool() || !window->testAttribute(Qt::WA_WState_Created))
        return;
    bool anyVisible = false;
    for (QWidget *w : window->findChildren<QWidget *>(Qt::FindChildrenRecursively)) {
        if (w->inherits("BrowserView") && w->isVisible()) {
            anyVisible = true;
            break;
        }
    }
    auto *d = QWidgetPrivate::get(window);
    // Composition on: the browser's picture joins the window's. The compositor holds a copy
    // of the window that was not kept up to date meanwhile, so the whole window is drawn.
    if (anyVisible && !d->usesRhiFlush) {
        d->usesRhiFlush = true;
        window->update();
    } else if (!anyVisible && d->usesRhiFlush) {
        d->usesRhiFlush = false;
        window->update();
    }
#else
    (void)browser;
#endif
}

bool composing(const QWidget *window)
{
#if defined(TARNELL_WEBENGINE) && TARNELL_WIDGETS_PRIVATE
    return QWidgetPrivate::get(window)->usesRhiFlush;
#else
    (void)window;
    return false;
#endif
}

}
