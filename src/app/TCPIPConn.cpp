#include "app/TCPIPConn.h"

#include <QKeyEvent>

#include "res/TemplateBuilder.h"

TCPIPConn::TCPIPConn(QWidget* parent) : QDialog(parent) {
    const res::DialogTemplate& dlg = res::Template(res::kTemplateTcpIpConn);
    setWindowTitle(QString::fromUtf8(dlg.caption));
    res::BuildDialog(dlg, this);
    setFixedSize(res::DialogSize(dlg));
}

TCPIPConn::~TCPIPConn() = default;

void TCPIPConn::keyPressEvent(QKeyEvent* event) {
    // Enter ends the dialog like OK wherever the focus is, except on a button,
    // which takes Enter as its own click.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
