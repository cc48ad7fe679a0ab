#include "gui/shell/AddressOctets.h"

#include "gui/shell/WindowLook.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

AddressOctets::AddressOctets(QWidget* parent, const QString& namePrefix, const Placement& placement)
    : QObject(parent) {
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(parent);
        field->setObjectName(namePrefix + QString::number(i + 1));
        field->setGeometry(placement.fieldLefts[i], placement.fieldTop, placement.fieldWidth, 21);
        field->installEventFilter(this);
        m_fields[i] = field;
    }
    for (int i = 0; i < 3; ++i)
        m_dots[i] = WindowLook::label(parent, placement.dotLefts[i], placement.dotTop, QStringLiteral("."));
}

std::array<QString, 4> AddressOctets::octets() const {
    return {m_fields[0]->text(), m_fields[1]->text(), m_fields[2]->text(), m_fields[3]->text()};
}

void AddressOctets::setOctets(const std::array<QString, 4>& texts) {
    for (int i = 0; i < 4; ++i)
        m_fields[i]->setText(texts[i]);
}

QString AddressOctets::text() const {
    const std::array<QString, 4> parts = octets();
    return parts[0] + u'.' + parts[1] + u'.' + parts[2] + u'.' + parts[3];
}

void AddressOctets::setEnabled(bool enabled) {
    for (QLineEdit* field : m_fields)
        field->setEnabled(enabled);
}

void AddressOctets::setToolTips(const std::array<QString, 4>& tips) {
    for (int i = 0; i < 4; ++i)
        m_fields[i]->setToolTip(tips[i]);
}

QLineEdit* AddressOctets::fieldAfter(int index) const {
    if (index < 3)
        return m_fields[index + 1];
    return m_next ? m_next->m_fields[0] : nullptr;
}

bool AddressOctets::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find(m_fields.begin(), m_fields.end(), watched);
    if (found == m_fields.end())
        return QObject::eventFilter(watched, event);
    QLineEdit* field = *found;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (static_cast<QKeyEvent*>(event)->text() != QLatin1String("."))
            return false;
        QLineEdit* next = fieldAfter(int(found - m_fields.begin()));
        if (next && next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::TabFocusReason);
            next->selectAll();
            emit movedTo(next);
        }
        return true;
    }
    case QEvent::FocusIn:
        if (m_selectOnFocus) {
            // Typing replaces the octet. A click places the cursor after taking the focus, so
            // then the text is selected again once the button is released.
            field->selectAll();
            m_selectOnRelease =
                static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason ? field : nullptr;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (m_selectOnRelease == field) {
            m_selectOnRelease = nullptr;
            if (!field->hasSelectedText())
                field->selectAll();
        }
        return false;
    default:
        return false;
    }
}
