#pragma once

#include <QObject>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QWidget;

// The four octet fields of an address with a "." between each two, placed in a window's own
// panel. The dot key separates octets: it moves on to the next field and is never typed. In the
// last field, or when the next field is disabled or hidden, it is discarded.
class AddressOctets : public QObject {
    Q_OBJECT
public:
    // Where the fields and dots stand in the parent.
    struct Placement {
        std::array<int, 4> fieldLefts;
        int fieldTop;
        int fieldWidth;
        std::array<int, 3> dotLefts;
        int dotTop;
    };

    // Fields named namePrefix1 to namePrefix4.
    AddressOctets(QWidget* parent, const QString& namePrefix, const Placement& placement);

    // The address whose first field the dot key moves on to from this one's last field.
    void chainTo(AddressOctets* next) { m_next = next; }
    // Selects the whole octet whenever a field takes the focus, also by a click, so typing replaces it.
    void setSelectOnFocus(bool on) { m_selectOnFocus = on; }

    std::array<QString, 4> octets() const;
    void setOctets(const std::array<QString, 4>& texts);
    // The four fields joined by dots, exactly as typed.
    QString text() const;
    void setEnabled(bool enabled);
    // Tooltips of the four fields from four consecutive texts.
    void setToolTips(const std::array<QString, 4>& tips);

    const std::array<QLineEdit*, 4>& fields() const { return m_fields; }
    const std::array<QLabel*, 3>& dots() const { return m_dots; }

signals:
    // The dot key has moved the focus to this field.
    void movedTo(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The field after the given one, following the chain past the fourth.
    QLineEdit* fieldAfter(int index) const;

    std::array<QLineEdit*, 4> m_fields{};
    std::array<QLabel*, 3> m_dots{};
    AddressOctets* m_next = nullptr;
    bool m_selectOnFocus = false;
    QLineEdit* m_selectOnRelease = nullptr; // the field that a click has just focused
};
