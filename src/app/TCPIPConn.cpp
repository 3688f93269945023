#include "app/TCPIPConn.h"

#include <QKeyEvent>

#include "res/DialogKeys.h"
#include "res/Readings.h"
#include "res/TemplateBuilder.h"

TCPIPConn::TCPIPConn(QWidget* parent) : QDialog(parent) {
    const res::DialogTemplate& dlg = res::Template(res::kTemplateTcpIpConn);
    setWindowTitle(res::Reading(dlg.caption));
    res::BuildDialog(dlg, this);
    setFixedSize(res::DialogSize(dlg));
}

TCPIPConn::~TCPIPConn() = default;

void TCPIPConn::keyPressEvent(QKeyEvent* event) {
    if (!res::AcceptOnEnter(*this, *event)) QDialog::keyPressEvent(event);
}
