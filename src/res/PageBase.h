#pragma once

#include <QWidget>

class QKeyEvent;

namespace res {

// A child page of the main window. It sees every key press aimed at itself or
// any widget on it before that widget does, and by default swallows Enter and
// Escape so that neither key ever reaches the main window and closes it.
class PageBase : public QWidget {
    Q_OBJECT

public:
    explicit PageBase(QWidget* parent = nullptr);
    ~PageBase() override;

protected:
    // Returns true to consume the key. target is the widget with the focus.
    virtual bool PreTranslateKey(QWidget* target, QKeyEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace res
