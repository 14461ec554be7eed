#pragma once

// What a click does, by the kind of what was clicked: one number space for an icon's
// ICON_DATA_TYPE, the title-bar buttons and the tab labels. Stored values are numbers, so the
// values are fixed.
namespace ActionKind {
enum Kind : int {
    StartProgram = 1,
    OpenWithShell = 3,
    Tab = 5,
    House = 6,
    SubTab = 7,
    Back = 8,
    PageUp = 9,
    PageDown = 10,
    ThemeDialog = 11,
    Music = 12,
};

// The kinds of the title-bar buttons (house, back, page up, page down, music): an icon that
// carries one of them never launches on a click.
constexpr bool isTitleBarKind(int kind)
{
    return kind == House || kind == Back || kind == PageUp || kind == PageDown || kind == Music;
}
} // namespace ActionKind
