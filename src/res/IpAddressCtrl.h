#pragma once

#include <QFrame>
#include <array>

class QLineEdit;

namespace res {

// An IPv4 address field: four numeric fields of 0-255 between dots. Typing a
// dot, a blank or a third digit moves on to the next field; Backspace at the
// start of a field moves back.
class IpAddressCtrl : public QFrame {
    Q_OBJECT

public:
    explicit IpAddressCtrl(QWidget* parent = nullptr);
    ~IpAddressCtrl() override;

    void SetAddress(quint8 a, quint8 b, quint8 c, quint8 d);
    void SetAddress(quint32 address);
    // Fills address (blank fields count as 0); returns how many fields are filled.
    int GetAddress(quint32& address) const;
    bool IsBlank() const;
    void ClearAddress();
    // "a.b.c.d" with blank fields left empty ("..." when all are blank).
    QString Text() const;

    // Names the control and each of its four fields for screen readers.
    void SetAccessibleNames(const QString& name);

    QLineEdit* Field(int index) const { return m_fields.at(static_cast<size_t>(index)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool CursorAtEnd(const QLineEdit* field);
    int IndexOf(const QObject* field) const;
    void FocusField(int index, bool atEnd);
    void ClampField(int index);

    // The loop that makes the fields counts to this constant: the static
    // analyzer cannot see that m_fields.size() is not zero.
    static constexpr std::size_t kFieldCount = 4;
    std::array<QLineEdit*, kFieldCount> m_fields{};
};

}  // namespace res
