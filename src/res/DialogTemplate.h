#pragma once

#include <span>

namespace res {

// Control ids of the program's windows. Statics without an id carry kNoId.
inline constexpr int kNoId = -1;

enum class ControlKind {
    GroupBox,
    Static,
    Icon,
    Button,
    Edit,
    ListView,
    ComboBox,
    IpAddress,
    TabControl,
    PropertyGrid,
};

// Style bits of a control, the ones the program's templates use.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kHidden = 1u << 0,    // created invisible
    kDisabled = 1u << 1,  // created disabled
    kTabStop = 1u << 2,
    kBorder = 1u << 3,
    kMultiline = 1u << 4,  // edit: several lines
    kAutoHScroll = 1u << 5,
    kAutoVScroll = 1u << 6,
    kDigitsOnly = 1u << 7,  // edit: accepts 0-9 only
    kVScroll = 1u << 8,
    kSingleSel = 1u << 9,      // list view: one selected row at most
    kSorted = 1u << 10,        // combo box: strings kept in sorted order
    kDropDown = 1u << 11,      // combo box: drop-down list with an edit field
    kReport = 1u << 12,        // list view: report (details) view
    kBitmapButton = 1u << 13,  // button made for a bitmap that is never assigned
    kDefaultButton = 1u << 14,
};

// One control of a dialog template; x, y, w, h in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    int x, y, w, h;
    unsigned style;
};

// A dialog template: its frame, font and controls in creation (z) order.
struct DialogTemplate {
    int id;
    const char* caption;  // UTF-8; empty for child pages and the main window
    int fontPoints;
    int fontWeight;
    int w, h;
    std::span<const ControlTemplate> controls;
};

// Template ids of the program's windows.
inline constexpr int kTemplateAbout = 100;
inline constexpr int kTemplateMain = 102;
inline constexpr int kTemplateIdSetting = 131;
inline constexpr int kTemplateTcpIpConn = 133;
inline constexpr int kTemplateRfConfig = 134;

// The template with the given id; every id above exists.
const DialogTemplate& Template(int id);

// The control of a template with the given id, or nullptr.
const ControlTemplate* FindControlTemplate(const DialogTemplate& dlg, int id);

}  // namespace res
