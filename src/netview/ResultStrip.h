#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace netview {

// The line above the tree that says what the last operation came to, in
// words, with the buttons that follow from it ("Retry", "Show", "Open
// folder"); nothing modal.
class ResultStrip : public QWidget {
    Q_OBJECT

public:
    struct Action {
        QString text;
        std::function<void()> run;
    };

    explicit ResultStrip(QWidget* parent = nullptr);

    // Replaces what the strip says and offers.
    void Show(const QString& text, const std::vector<Action>& actions = {});
    QString Text() const;
    // The offered buttons, in order.
    std::vector<QPushButton*> Buttons() const;

private:
    QLabel* m_text;
    QHBoxLayout* m_row;
    std::vector<QPushButton*> m_buttons;
};

}  // namespace netview
