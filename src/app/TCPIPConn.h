#pragma once

#include <QDialog>

// The menu's "TCP/IP Connection" dialog: an address, a port and two buttons.
// It keeps and sends nothing; the link is opened from the RF page.
class TCPIPConn : public QDialog {
    Q_OBJECT

public:
    explicit TCPIPConn(QWidget* parent = nullptr);
    ~TCPIPConn() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
