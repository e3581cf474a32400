#pragma once
// Gradient text: every character of a text gets its own font colour, running evenly
// from a start colour to an end colour.
#include <QString>
#include <vector>

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

// Rounds to the nearest integer, halves to the even neighbour (127.5 -> 128, 126.5 -> 126).
int RoundHalfEven(double value);

// Channel of character k (0..n) when n + 1 characters run from start to end:
// the difference divided by n, times k, plus start, rounded half to even.
int InterpolateChannel(int start, int end, int n, int k);
Rgb InterpolateColor(const Rgb &start, const Rgb &end, int n, int k);

// Where each character of a text lies: (position, length) in UTF-16 units. A
// surrogate pair is one character and is never split.
struct CharSpan {
    int pos = 0;
    int length = 0;
};
std::vector<CharSpan> CharacterSpans(const QString &text);

// The colour of each of `count` characters: the start colour alone for one
// character, start to end for more.
std::vector<Rgb> GradientColours(int count, const Rgb &start, const Rgb &end);

// The HTML: "" for an empty text; one font element for a single character; else one
// font element per character, each followed by "\n". Colour values are not quoted.
QString GradientHtml(const QString &text, const Rgb &start, const Rgb &end);
