<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko" sourcelanguage="en">
<context>
    <name>Added</name>
    <message>
        <source>
Details: these lines are sent, each followed by a GET that reads it back:
</source>
        <translation>
자세히: 다음 줄을 보내고, 줄마다 GET으로 다시 읽어 확인합니다:
</translation>
    </message>
    <message>
        <source> %1 not confirmed: the gateway&apos;s answers could not be told apart.</source>
        <translation> %1개 확인 안 됨: 게이트웨이 응답을 구별할 수 없었습니다.</translation>
    </message>
    <message>
        <source> (partial)</source>
        <translation> (일부)</translation>
    </message>
    <message>
        <source>%1 difference between %2 and %3.</source>
        <translation>%2와(과) %3 사이 차이 %1개.</translation>
    </message>
    <message>
        <source>%1 differences between %2 and %3.</source>
        <translation>%2와(과) %3 사이 차이 %1개.</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 · sent %2 · received %3</source>
        <translation>%1 · 보냄 %2 · 받음 %3</translation>
    </message>
    <message>
        <source>%1: %2 %3; it is not planned.</source>
        <translation>%1: %2 %3; 계획에 없는 값입니다.</translation>
    </message>
    <message>
        <source>%1: cannot write: %2
</source>
        <translation>%1: 쓸 수 없음: %2
</translation>
    </message>
    <message>
        <source>&amp;Decoded frames…</source>
        <translation>디코딩된 프레임(&amp;D)…</translation>
    </message>
    <message>
        <source>&amp;Reconnect automatically</source>
        <translation>자동으로 다시 연결(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Session</source>
        <translation>세션(&amp;S)</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(없음)</translation>
    </message>
    <message>
        <source>All values</source>
        <translation>모든 값</translation>
    </message>
    <message>
        <source>Before the write: %1</source>
        <translation>쓰기 전: %1</translation>
    </message>
    <message>
        <source>Bytes of the selected frame</source>
        <translation>선택한 프레임의 바이트</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Cancelling after the current item…</source>
        <translation>현재 항목 후 취소하는 중…</translation>
    </message>
    <message>
        <source>Cannot compare: %1</source>
        <translation>비교할 수 없음: %1</translation>
    </message>
    <message>
        <source>Choose two entries to see what changed between them.</source>
        <translation>두 항목을 선택하면 바뀐 내용을 보여 줍니다.</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>비교</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>연결</translation>
    </message>
    <message>
        <source>Connected to %1:%2</source>
        <translation>%1:%2에 연결됨</translation>
    </message>
    <message>
        <source>Connected to the gateway at %1.</source>
        <translation>%1 게이트웨이에 연결됨.</translation>
    </message>
    <message>
        <source>Could not connect to %1:%2 — %3</source>
        <translation>%1:%2에 연결하지 못했습니다 — %3</translation>
    </message>
    <message>
        <source>Decoded frames</source>
        <translation>디코딩된 프레임</translation>
    </message>
    <message>
        <source>Differences between the chosen entries</source>
        <translation>선택한 항목 간 차이</translation>
    </message>
    <message>
        <source>Dir</source>
        <translation>방향</translation>
    </message>
    <message>
        <source>Export report</source>
        <translation>보고서 내보내기</translation>
    </message>
    <message>
        <source>Export report…</source>
        <translation>보고서 내보내기…</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>프레임</translation>
    </message>
    <message>
        <source>Frequency plan</source>
        <translation>주파수 계획</translation>
    </message>
    <message>
        <source>Gateway connected back from %1 at %2</source>
        <translation>게이트웨이가 %1에서 다시 연결됨 (%2)</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Include network keys</source>
        <translation>네트워크 키 포함</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>항목</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>종류</translation>
    </message>
    <message>
        <source>last reply %1 s ago</source>
        <translation>마지막 응답 %1초 전</translation>
    </message>
    <message>
        <source>Link lost at %1 — %2 not read; %3 answered before.</source>
        <translation>%1에 연결 끊김 — %2개 못 읽음. 그 전에 %3개 응답.</translation>
    </message>
    <message>
        <source>Link lost — not listening on port %1; Connect links again</source>
        <translation>연결 끊김 — 포트 %1에서 대기하지 않음. 연결을 눌러 다시 연결하세요</translation>
    </message>
    <message>
        <source>Link lost — waiting for the gateway on port %1</source>
        <translation>연결 끊김 — 포트 %1에서 게이트웨이를 기다리는 중</translation>
    </message>
    <message>
        <source>live site</source>
        <translation>현재 사이트</translation>
    </message>
    <message>
        <source>Log saved as %1</source>
        <translation>로그를 %1(으)로 저장했습니다</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>네트워크</translation>
    </message>
    <message>
        <source>Network files (*.xml)</source>
        <translation>네트워크 파일 (*.xml)</translation>
    </message>
    <message>
        <source>Newer</source>
        <translation>이후</translation>
    </message>
    <message>
        <source>No history kept for this site yet.</source>
        <translation>이 사이트의 기록이 아직 없습니다.</translation>
    </message>
    <message>
        <source>No plan open</source>
        <translation>열린 계획 없음</translation>
    </message>
    <message>
        <source>no reply yet</source>
        <translation>아직 응답 없음</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>연결 안 됨</translation>
    </message>
    <message>
        <source>Not connected to the gateway. Connect to %1 now? Press the button again once the link is up.</source>
        <translation>게이트웨이에 연결되어 있지 않습니다. 지금 %1에 연결하시겠습니까? 연결되면 버튼을 다시 누르세요.</translation>
    </message>
    <message>
        <source>Not connected. Connect links the RF Configuration page to %1; this tab then works over the same link.</source>
        <translation>연결 안 됨. 연결을 누르면 RF 설정 페이지가 %1에 연결되고, 이 탭도 같은 연결을 씁니다.</translation>
    </message>
    <message>
        <source>Nothing to write: every planned value is on the gateway already.</source>
        <translation>쓸 것이 없습니다. 모든 계획 값이 이미 게이트웨이에 있습니다.</translation>
    </message>
    <message>
        <source>now</source>
        <translation>현재</translation>
    </message>
    <message>
        <source>Older</source>
        <translation>이전</translation>
    </message>
    <message>
        <source>Only differences</source>
        <translation>차이만</translation>
    </message>
    <message>
        <source>Only problems</source>
        <translation>문제만</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>폴더 열기</translation>
    </message>
    <message>
        <source>Open plan</source>
        <translation>계획 열기</translation>
    </message>
    <message>
        <source>Open plan…</source>
        <translation>계획 열기…</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>페이지</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>경로</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF 문서 (*.pdf)</translation>
    </message>
    <message>
        <source>Plan</source>
        <translation>계획</translation>
    </message>
    <message>
        <source>Plan %1 opened.</source>
        <translation>계획 %1을(를) 열었습니다.</translation>
    </message>
    <message>
        <source>Plan saved: %1</source>
        <translation>계획 저장됨: %1</translation>
    </message>
    <message>
        <source>Plan: %1</source>
        <translation>계획: %1</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>Read all</source>
        <translation>모두 읽기</translation>
    </message>
    <message>
        <source>Read all cancelled: %1 answered so far.</source>
        <translation>모두 읽기 취소됨: 지금까지 %1개 응답.</translation>
    </message>
    <message>
        <source>Read all takes the modules&apos; IDs from the ID file, which cannot be read:
%1</source>
        <translation>모두 읽기는 ID 파일에서 모듈 ID를 가져오는데, 파일을 읽을 수 없습니다:
%1</translation>
    </message>
    <message>
        <source>Read: %1 answered, %2 without answer.</source>
        <translation>읽기: 응답 %1개, 무응답 %2개.</translation>
    </message>
    <message>
        <source>Reconnecting in %1 s (attempt %2); Disconnect cancels</source>
        <translation>%1초 후 다시 연결 (%2번째 시도). 연결 해제를 누르면 취소됩니다</translation>
    </message>
    <message>
        <source>Report written: %1 and %2.html</source>
        <translation>보고서 작성됨: %1, %2.html</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>다시 시도</translation>
    </message>
    <message>
        <source>Retry unanswered</source>
        <translation>무응답 다시 읽기</translation>
    </message>
    <message>
        <source>Save &amp;log as…</source>
        <translation>다른 이름으로 로그 저장(&amp;L)…</translation>
    </message>
    <message>
        <source>Save as plan</source>
        <translation>계획으로 저장</translation>
    </message>
    <message>
        <source>Save as plan…</source>
        <translation>계획으로 저장…</translation>
    </message>
    <message>
        <source>Service running</source>
        <translation>서비스 실행 중</translation>
    </message>
    <message>
        <source>Service stopped</source>
        <translation>서비스 중지됨</translation>
    </message>
    <message>
        <source>Service unknown (new link)</source>
        <translation>서비스 상태 모름 (새 연결)</translation>
    </message>
    <message>
        <source>Service: —</source>
        <translation>서비스: —</translation>
    </message>
    <message>
        <source>Session</source>
        <translation>세션</translation>
    </message>
    <message>
        <source>Session log: %1</source>
        <translation>세션 로그: %1</translation>
    </message>
    <message>
        <source>Session log: other users can open the folder %1 (the log files are yours alone)</source>
        <translation>세션 로그: 다른 사용자가 %1 폴더를 열 수 있습니다 (로그 파일은 본인만 열 수 있음)</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>보기</translation>
    </message>
    <message>
        <source>Show in the tree</source>
        <translation>트리에 표시</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>사이트</translation>
    </message>
    <message>
        <source>Site %1: disconnect first to connect to its gateway %2:%3</source>
        <translation>사이트 %1: 게이트웨이 %2:%3에 연결하려면 먼저 연결을 해제하세요</translation>
    </message>
    <message>
        <source>Site %1: the gateway %2 is not an IPv4 address; type it on the RF page</source>
        <translation>사이트 %1: 게이트웨이 %2은(는) IPv4 주소가 아닙니다. RF 페이지에서 직접 입력하세요</translation>
    </message>
    <message>
        <source>Site from the site list</source>
        <translation>사이트 목록의 사이트</translation>
    </message>
    <message>
        <source>Site history</source>
        <translation>사이트 기록</translation>
    </message>
    <message>
        <source>Site:</source>
        <translation>사이트:</translation>
    </message>
    <message>
        <source>State</source>
        <translation>상태</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>태그</translation>
    </message>
    <message>
        <source>The gateway&apos;s service is running; configuration needs it stopped. Stop it now? It is started again at the end.</source>
        <translation>게이트웨이 서비스가 실행 중입니다. 설정하려면 서비스를 중지해야 합니다. 지금 중지하시겠습니까? 끝나면 다시 시작합니다.</translation>
    </message>
    <message>
        <source>The link to the gateway dropped during the write at %1: %2 items were not written.</source>
        <translation>쓰는 중 %1에 게이트웨이 연결이 끊겼습니다. %2개 항목을 쓰지 못했습니다.</translation>
    </message>
    <message>
        <source>The link to the gateway was lost at %1: %2 modules were not read. Their last known values stay, marked.</source>
        <translation>%1에 게이트웨이 연결이 끊겼습니다. 모듈 %2개를 읽지 못했습니다. 마지막으로 알려진 값은 표시된 채로 남습니다.</translation>
    </message>
    <message>
        <source>The log box keeps its newest %1 characters; every entry is in %2</source>
        <translation>로그 창에는 최근 %1자만 남습니다. 전체 기록은 %2에 있습니다</translation>
    </message>
    <message>
        <source>The log was not saved:
%1</source>
        <translation>로그를 저장하지 못했습니다:
%1</translation>
    </message>
    <message>
        <source>The Network tab holds a read, write results or planned values that are in no saved plan or report.
Quit anyway?</source>
        <translation>네트워크 탭에 저장된 계획이나 보고서에 없는 읽기 결과, 쓰기 결과 또는 계획 값이 있습니다.
그래도 종료하시겠습니까?</translation>
    </message>
    <message>
        <source>The open editor&apos;s text is not written until Enter: the SET went out without it.</source>
        <translation>열린 편집기의 내용은 Enter를 눌러야 적용됩니다. SET은 그 내용 없이 전송되었습니다.</translation>
    </message>
    <message>
        <source>The plan was not opened:
%1</source>
        <translation>계획을 열지 못했습니다:
%1</translation>
    </message>
    <message>
        <source>The plan was not saved:
%1</source>
        <translation>계획을 저장하지 못했습니다:
%1</translation>
    </message>
    <message>
        <source>The report was not written:
%1</source>
        <translation>보고서를 쓰지 못했습니다:
%1</translation>
    </message>
    <message>
        <source>The site list was not read:
%1</source>
        <translation>사이트 목록을 읽지 못했습니다:
%1</translation>
    </message>
    <message>
        <source>There is no plan to compare with: open one, or edit values in the tree.</source>
        <translation>비교할 계획이 없습니다. 계획을 열거나 트리에서 값을 편집하세요.</translation>
    </message>
    <message>
        <source>This program stopped the gateway&apos;s service and has not started it again.
Yes: start the service again and quit. No: quit and leave it stopped. Cancel: stay.</source>
        <translation>이 프로그램이 게이트웨이 서비스를 중지했고 아직 다시 시작하지 않았습니다.
예: 서비스를 다시 시작하고 종료합니다. 아니요: 중지된 채로 종료합니다. 취소: 종료하지 않습니다.</translation>
    </message>
    <message>
        <source>This tab stopped the gateway&apos;s service. Start it again now?</source>
        <translation>이 탭이 게이트웨이 서비스를 중지했습니다. 지금 다시 시작하시겠습니까?</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>값</translation>
    </message>
    <message>
        <source>Values</source>
        <translation>값</translation>
    </message>
    <message>
        <source>Warnings</source>
        <translation>경고</translation>
    </message>
    <message>
        <source>When (UTC)</source>
        <translation>시각 (UTC)</translation>
    </message>
    <message>
        <source>Write %1 change(s) to the gateway?

</source>
        <translation>게이트웨이에 변경 %1개를 쓰시겠습니까?

</translation>
    </message>
    <message>
        <source>Write differences</source>
        <translation>차이 쓰기</translation>
    </message>
    <message>
        <source>Write differences…</source>
        <translation>차이 쓰기…</translation>
    </message>
    <message>
        <source>Written: %1 confirmed, %2 differ after the write, %3 without answer, %4 not written.</source>
        <translation>쓰기 완료: 확인 %1개, 쓰기 후 다름 %2개, 무응답 %3개, 쓰지 않음 %4개.</translation>
    </message>
    <message>
        <source>← received</source>
        <translation>← 받음</translation>
    </message>
    <message>
        <source>→ sent</source>
        <translation>→ 보냄</translation>
    </message>
    <message>
        <source>Compared before any read: %1 of %2 planned values differ from what is known.</source>
        <translation>읽기 전 비교: 계획 값 %2개 중 %1개가 현재 아는 값과 다릅니다.</translation>
    </message>
    <message>
        <source>Compared with the values read until %3, before the link was lost: %1 of %2 planned values differ.</source>
        <translation>%3까지 읽은 값(연결이 끊기기 전)과 비교: 계획 값 %2개 중 %1개가 다릅니다.</translation>
    </message>
    <message>
        <source>Compared with the values read until %3: %1 of %2 planned values differ.</source>
        <translation>%3까지 읽은 값과 비교: 계획 값 %2개 중 %1개가 다릅니다.</translation>
    </message>
    <message>
        <source>Read all, then compare</source>
        <translation>모두 읽은 뒤 비교</translation>
    </message>
    <message>
        <source>Read again, then compare</source>
        <translation>다시 읽은 뒤 비교</translation>
    </message>
    <message>
        <source>%1 without answer.</source>
        <translation>응답 없음 %1개.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>알 수 없음</translation>
    </message>
    <message>
        <source>read</source>
        <translation>읽음</translation>
    </message>
    <message>
        <source>edited</source>
        <translation>편집됨</translation>
    </message>
    <message>
        <source>differs from plan</source>
        <translation>계획과 다름</translation>
    </message>
    <message>
        <source>written and confirmed</source>
        <translation>쓰기 확인됨</translation>
    </message>
    <message>
        <source>written but differs</source>
        <translation>썼으나 다름</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>응답 없음</translation>
    </message>
    <message>
        <source>not written</source>
        <translation>쓰지 않음</translation>
    </message>
    <message>
        <source>written but not confirmed</source>
        <translation>썼으나 확인 안 됨</translation>
    </message>
    <message>
        <source>read before the link was lost</source>
        <translation>연결이 끊기기 전에 읽음</translation>
    </message>
    <message>
        <source>confirmed before the link was lost</source>
        <translation>연결이 끊기기 전에 확인됨</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>sub-GHz band (SX1276)</source>
        <translation>서브 GHz 대역 (SX1276)</translation>
    </message>
    <message>
        <source>2.4 GHz band (SX1280)</source>
        <translation>2.4 GHz 대역 (SX1280)</translation>
    </message>
    <message>
        <source>%1 modules</source>
        <translation>모듈 %1개</translation>
    </message>
    <message>
        <source>(shared where it must not be)</source>
        <translation>(겹치면 안 되는 주파수)</translation>
    </message>
    <message>
        <source>Edited, not sent yet</source>
        <translation>편집됨, 아직 보내지 않음</translation>
    </message>
    <message>
        <source>Sent, waiting for the reply</source>
        <translation>보냄, 응답 기다리는 중</translation>
    </message>
    <message>
        <source>Confirmed by the reply</source>
        <translation>응답으로 확인됨</translation>
    </message>
    <message>
        <source>Sent &quot;%1&quot;; the reply says &quot;%2&quot;</source>
        <translation>보낸 값 &quot;%1&quot;, 응답은 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>header</source>
        <translation>헤더</translation>
    </message>
    <message>
        <source>length byte</source>
        <translation>길이 바이트</translation>
    </message>
    <message>
        <source>tag</source>
        <translation>태그</translation>
    </message>
    <message>
        <source>payload</source>
        <translation>데이터</translation>
    </message>
    <message>
        <source>past the length</source>
        <translation>길이 밖</translation>
    </message>
    <message>
        <source>
The gateway&apos;s service is stopped first. Start it again at the end?
Yes: write, then start it again. No: write and leave it stopped. Cancel: write nothing.
</source>
        <translation>
게이트웨이 서비스를 먼저 중지합니다. 끝나면 다시 시작할까요?
예: 쓰고 다시 시작. 아니요: 쓰고 중지된 채로 둠. 취소: 쓰지 않음.
</translation>
    </message>
    <message>
        <source>Site name</source>
        <translation>사이트 이름</translation>
    </message>
    <message>
        <source>Technician</source>
        <translation>담당 기술자</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>%1 holds characters the system code page cannot keep.</source>
        <translation>%1에 시스템 코드 페이지에 담을 수 없는 문자가 있습니다.</translation>
    </message>
    <message>
        <source>This cannot be kept in the plan: %1</source>
        <translation>계획 파일에 보관할 수 없습니다: %1</translation>
    </message>
    <message>
        <source>Who commissions this site? The report shows it, and a plan you save keeps it for the next report.</source>
        <translation>이 사이트를 시운전하는 사람은 누구입니까? 보고서에 표시되며, 저장하는 계획 파일에 보관되어 다음 보고서에서 다시 묻지 않습니다.</translation>
    </message>
</context>
</TS>
