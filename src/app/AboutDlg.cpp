#include "app/AboutDlg.h"

#include <QPushButton>

#include "res/TemplateBuilder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const res::DialogTemplate& dlg = res::Template(res::kTemplateAbout);
    setWindowTitle(QString::fromUtf8(dlg.caption));
    res::BuildDialog(dlg, this);
    setFixedSize(res::DialogSize(dlg));
    connect(res::Control<QPushButton>(this, 1), &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
