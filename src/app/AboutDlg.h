#pragma once

#include <QDialog>

// The about box: the icon, the program's name and version, and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;
};
