#include "app/AboutDlg.h"

#include <QPushButton>

#include "res/Readings.h"
#include "res/TemplateBuilder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const res::DialogTemplate& dlg = res::Template(res::kTemplateAbout);
    setWindowTitle(res::Reading(dlg.caption));
    res::BuildDialog(dlg, this);
    setFixedSize(res::DialogSize(dlg));
    connect(res::Control<QPushButton>(this, 1), &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
