// The texts of messages that reach the user as plain literals and are read
// in the chosen language by the prompt seam (UserPrompts). They are listed
// here only so that lupdate finds them; a test checks that every Korean text
// in the sources has its English reading.
#include <QtGlobal>

namespace res {
namespace {

[[maybe_unused]] constexpr const char* kMessageTexts[] = {
    // The RF page.
    QT_TRANSLATE_NOOP("Veskora", "알림"),
    QT_TRANSLATE_NOOP("Veskora", "서버와 연결이 실패하였습니다."),
    QT_TRANSLATE_NOOP("Veskora", "기기와 연결이 되어 있지 않습니다.\r\n 기기 연결 후 시도하시기 바랍니다."),
    QT_TRANSLATE_NOOP("Veskora", "서비스가 동작 중입니다. 서비스 종료 후 설정값을 변경하시기 바랍니다."),
    QT_TRANSLATE_NOOP("Veskora", "전송할 파라메타가 부족합니다."),
    QT_TRANSLATE_NOOP("Veskora", "해당 ID는 전송 할 수 없습니다."),
    QT_TRANSLATE_NOOP("Veskora", "노드ID 파라미터가 부족합니다."),
    QT_TRANSLATE_NOOP("Veskora", "인수의 갯수가 부족합니다. 확인하시기 바랍니다."),
    QT_TRANSLATE_NOOP("Veskora", "ID 설정을 확인하시기 바랍니다."),
    QT_TRANSLATE_NOOP("Veskora", "주파수가 설정되지 않았습니다. 확인하시기 바랍니다."),
    QT_TRANSLATE_NOOP("Veskora", "xml 파일이 존재하지 하는지 확인하십시오."),
    // The ID Setting page.
    QT_TRANSLATE_NOOP("Veskora", "ID 구성 파일을 위한 경로를 만들지 못했습니다. "),
    QT_TRANSLATE_NOOP("Veskora", "Repeater ID를 설정하시기 바랍니다."),
};

}  // namespace
}  // namespace res
