// Korean captions are marked for lupdate; the builder reads them in the chosen language.
#include <QtGlobal>
#include <array>
#include <stdexcept>

#include "res/DialogTemplate.h"

namespace res {
namespace {

using K = ControlKind;

constexpr ControlTemplate kAbout[] = {
    {kNoId, K::Icon, "", 14, 14, 21, 20, kStyleNone},
    {kNoId, K::Static, QT_TRANSLATE_NOOP("Veskora", "VeskoraRFConfiguration, 버전 1.0"), 42, 14, 114, 8, kStyleNone},
    {kNoId, K::Static, "Copyright (C) 2026", 42, 26, 114, 8, kStyleNone},
    {1, K::Button, QT_TRANSLATE_NOOP("Veskora", "확인"), 113, 41, 50, 14, kTabStop | kDefaultButton},
};

constexpr ControlTemplate kMain[] = {
    {1001, K::TabControl, "", 7, 7, 949, 441, kStyleNone},
};

constexpr ControlTemplate kIdSetting[] = {
    {1004, K::PropertyGrid, "", 26, 24, 583, 325, kTabStop | kBorder},
    {1005, K::Button, QT_TRANSLATE_NOOP("Veskora", "불러오기"), 633, 36, 73, 18, kTabStop},
    {1006, K::Button, QT_TRANSLATE_NOOP("Veskora", "저장하기"), 633, 66, 73, 18, kTabStop},
};

constexpr ControlTemplate kTcpIpConn[] = {
    {kNoId, K::Static, "IP address: ", 18, 36, 41, 8, kStyleNone},
    {1003, K::IpAddress, "", 62, 33, 100, 15, kTabStop},
    {kNoId, K::Static, "Port: ", 38, 56, 19, 8, kStyleNone},
    {1009, K::Edit, "", 62, 51, 47, 17, kBorder | kAutoHScroll | kTabStop},
    {1007, K::Button, "Listen", 81, 83, 56, 14, kTabStop},
    {1008, K::Button, "Connect", 147, 83, 57, 14, kTabStop | kBitmapButton},
};

constexpr unsigned kList = kReport | kBorder | kTabStop;
constexpr unsigned kEditor = kBorder | kAutoHScroll | kTabStop;

constexpr ControlTemplate kRfConfig[] = {
    {kNoId, K::GroupBox, "Gateway", 7, 7, 194, 295, kStyleNone},
    {1011, K::ListView, "", 11, 15, 183, 73, kList | kSingleSel},
    {1012, K::ListView, "", 11, 92, 185, 115, kList},
    {1013, K::ListView, "", 11, 229, 185, 50, kList},
    {1014, K::Button, "GET", 91, 283, 50, 14, kTabStop},
    {1015, K::Button, "SET", 145, 283, 50, 14, kTabStop},
    {kNoId, K::GroupBox, "Node", 818, 7, 193, 295, kStyleNone},
    {1016, K::ListView, "", 824, 20, 182, 273, kList},
    {kNoId, K::GroupBox, "Repeater", 207, 48, 607, 160, kStyleNone},
    {1017, K::ListView, "", 210, 70, 595, 111, kList},
    {1018, K::ComboBox, "", 305, 55, 85, 108, kDropDown | kSorted | kVScroll | kTabStop},
    {1019, K::ComboBox, "", 710, 55, 95, 111, kDropDown | kSorted | kVScroll | kTabStop | kHidden},
    {kNoId, K::GroupBox, QT_TRANSLATE_NOOP("Veskora", "기기 연결"), 207, 7, 349, 38, kStyleNone},
    {kNoId, K::Static, "IP address", 215, 26, 35, 8, kStyleNone},
    {1003, K::IpAddress, "", 256, 22, 100, 15, kTabStop},
    {kNoId, K::Static, "Port", 371, 25, 14, 8, kStyleNone},
    {1020, K::Edit, "", 390, 22, 40, 14, kEditor | kDigitsOnly},
    {1007, K::Button, "Listen", 436, 21, 50, 14, kTabStop | kDisabled},
    {1022, K::Button, "Connect", 499, 21, 50, 14, kTabStop},
    {kNoId, K::GroupBox, "Node Attribute", 207, 214, 607, 88, kStyleNone},
    {1023, K::ListView, "", 211, 225, 595, 58, kList},
    {1024, K::Button, "SET NODE", 754, 286, 50, 14, kTabStop},
    {1028, K::Edit, "", 12, 309, 993, 140, kBorder | kMultiline | kAutoVScroll | kTabStop},
    {kNoId, K::GroupBox, "File", 563, 7, 74, 39, kStyleNone},
    {1029, K::Button, QT_TRANSLATE_NOOP("Veskora", "ID 불러오기"), 575, 21, 50, 14, kTabStop},
    {1031, K::Button, "SET REPEATER", 743, 189, 57, 14, kTabStop},
    {1034, K::Button, "GET NETKEY ", 92, 210, 50, 14, kTabStop},
    {1035, K::Button, "SET NETKEY", 145, 210, 50, 14, kTabStop},
    {1036, K::Button, "GET REPEATER", 675, 189, 62, 14, kTabStop},
    {1037, K::Button, "GET NODE", 695, 286, 50, 14, kTabStop},
    {1038, K::Edit, "", 159, 82, 40, 14, kEditor},
    {1039, K::Edit, "", -469, 214, 40, 14, kEditor},
    {1040, K::Edit, "", 425, 60, 40, 14, kEditor},
    {1041, K::Edit, "", 335, 205, 40, 14, kEditor},
    {1042, K::Edit, "", 885, 3, 51, 14, kEditor},
    {kNoId, K::Static, QT_TRANSLATE_NOOP("Veskora", "Repeater 설정"), 254, 57, 47, 8, kStyleNone},
    {kNoId, K::GroupBox, "System", 644, 7, 151, 39, kStyleNone},
    {1043, K::Button, QT_TRANSLATE_NOOP("Veskora", "서비스 중지"), 737, 22, 53, 14, kTabStop},
    {1045, K::Button, QT_TRANSLATE_NOOP("Veskora", "서비스 변경"), 647, 22, 84, 14, kTabStop},
};

constexpr std::array kTemplates = {
    DialogTemplate{kTemplateAbout, QT_TRANSLATE_NOOP("Veskora", "VeskoraRFConfiguration 정보"), 8, 400, 170, 62,
                   kAbout},
    DialogTemplate{kTemplateMain, "", 9, 400, 963, 461, kMain},
    DialogTemplate{kTemplateIdSetting, "", 8, 400, 747, 379, kIdSetting},
    DialogTemplate{kTemplateTcpIpConn, "TCP/IP Connection", 8, 400, 216, 104, kTcpIpConn},
    DialogTemplate{kTemplateRfConfig, "", 8, 400, 1041, 460, kRfConfig},
};

}  // namespace

const DialogTemplate& Template(int id) {
    for (const auto& t : kTemplates) {
        if (t.id == id) return t;
    }
    throw std::out_of_range("no dialog template with this id");
}

const ControlTemplate* FindControlTemplate(const DialogTemplate& dlg, int id) {
    for (const auto& c : dlg.controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

}  // namespace res
