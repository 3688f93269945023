<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ko">
<context>
    <name>Veskora</name>
    <message>
        <source>최근 연결한 게이트웨이</source>
        <translation>Gateways connected to recently</translation>
    </message>
    <message>
        <source>VeskoraRFConfiguration 창이 이미 열려 있습니다.

예: 열려 있는 창을 앞으로 가져옵니다.
아니요: 그래도 새 창을 엽니다. 두 창은 같은 ID 파일(ids.xml)에 씁니다.
취소: 아무것도 열지 않습니다.</source>
        <translation>A VeskoraRFConfiguration window is already open.

Yes: bring the open window to the front.
No: open another window anyway. Both windows write the same ID file (ids.xml).
Cancel: open nothing.</translation>
    </message>
    <message>
        <source>파일</source>
        <translation>File</translation>
    </message>
    <message>
        <source>언어(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>한국어</source>
        <translation>Korean</translation>
    </message>
    <message>
        <source>언어는 프로그램을 다시 시작하면 바뀝니다.</source>
        <translation>The language changes when the program is started again.</translation>
    </message>
    <message>
        <source>도움말(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ID를 입력하시고 Enter Key를 누르세요</source>
        <translation>Type the ID and press Enter</translation>
    </message>
    <message>
        <source>Repeater 설정</source>
        <translation>Repeater</translation>
    </message>
    <message>
        <source>Repeater ID를 먼저 설정하신 후 <byte value="xd"/>하위 ID를 입력하시기 바랍니다.</source>
        <translation>Choose the repeater ID first, <byte value="xd"/>then type the IDs below it.</translation>
    </message>
    <message>
        <source>ID 파일을 저장하지 못했습니다.<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>Could not save the ID file.<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>알림</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>서버와 연결이 실패하였습니다.</source>
        <translation>The connection to the server failed.</translation>
    </message>
    <message>
        <source>기기와 연결이 되어 있지 않습니다.<byte value="xd"/>
 기기 연결 후 시도하시기 바랍니다.</source>
        <translation>No device is connected.<byte value="xd"/>
 Connect the device and try again.</translation>
    </message>
    <message>
        <source>서비스가 동작 중입니다. 서비스 종료 후 설정값을 변경하시기 바랍니다.</source>
        <translation>The service is running. Stop the service before changing settings.</translation>
    </message>
    <message>
        <source>전송할 파라메타가 부족합니다.</source>
        <translation>Not enough parameters to send.</translation>
    </message>
    <message>
        <source>해당 ID는 전송 할 수 없습니다.</source>
        <translation>This ID cannot be sent to.</translation>
    </message>
    <message>
        <source>노드ID 파라미터가 부족합니다.</source>
        <translation>The node ID parameter is missing.</translation>
    </message>
    <message>
        <source>인수의 갯수가 부족합니다. 확인하시기 바랍니다.</source>
        <translation>Not enough arguments. Please check.</translation>
    </message>
    <message>
        <source>ID 설정을 확인하시기 바랍니다.</source>
        <translation>Please check the ID settings.</translation>
    </message>
    <message>
        <source>주파수가 설정되지 않았습니다. 확인하시기 바랍니다.</source>
        <translation>No frequency is set. Please check.</translation>
    </message>
    <message>
        <source>xml 파일이 존재하지 하는지 확인하십시오.</source>
        <translation>Check that the xml file exists.</translation>
    </message>
    <message>
        <source>ID 구성 파일을 위한 경로를 만들지 못했습니다. </source>
        <translation>Could not make the folder for the ID file. </translation>
    </message>
    <message>
        <source>Repeater ID를 설정하시기 바랍니다.</source>
        <translation>Please choose the repeater ID.</translation>
    </message>
    <message>
        <source>VeskoraRFConfiguration 정보(&amp;A)...</source>
        <translation>&amp;About VeskoraRFConfiguration...</translation>
    </message>
    <message>
        <source>VeskoraRFConfiguration, 버전 1.0</source>
        <translation>VeskoraRFConfiguration, version 1.0</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>불러오기</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>저장하기</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>기기 연결</source>
        <translation>Device link</translation>
    </message>
    <message>
        <source>ID 불러오기</source>
        <translation>Load IDs</translation>
    </message>
    <message>
        <source>서비스 중지</source>
        <translation>Stop service</translation>
    </message>
    <message>
        <source>서비스 변경</source>
        <translation>Switch service</translation>
    </message>
    <message>
        <source>VeskoraRFConfiguration 정보</source>
        <translation>About VeskoraRFConfiguration</translation>
    </message>
    <message>
        <source>이미 해당 주파수는 ID %1 모듈에서 사용중입니다.<byte value="xd"/>
 다른 주파수를 사용하시기 바랍니다.</source>
        <translation>The module with ID %1 already uses this frequency.<byte value="xd"/>
 Please use another frequency.</translation>
    </message>
    <message>
        <source>서비스 종료</source>
        <translation>End service</translation>
    </message>
    <message>
        <source>서비스 재시작</source>
        <translation>Restart service</translation>
    </message>
    <message>
        <source>RF 구성 서비스 시작</source>
        <translation>Start RF configuration service</translation>
    </message>
    <message>
        <source>베스코라 서비스 시작</source>
        <translation>Start Veskora service</translation>
    </message>
</context>
</TS>
