#pragma once

#include "gui/shell/MessageBox.h"

#include <QString>
#include <deque>
#include <vector>

// Replaces the program's message boxes while it lives: records every box and answers questions
// from the queue of next answers (Yes when the queue is empty).
class RecordingMessageBoxes : public MessageBox::Handler {
public:
    struct Shown {
        MessageBox::Kind kind;
        QString text;
        MessageBox::Answer byDefault = MessageBox::Answer::Yes; // what Enter gives
    };

    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;

    void setNextAnswer(MessageBox::Answer answer) { m_answers.push_back(answer); }
    MessageBox::Answer show(QWidget* parent, MessageBox::Kind kind, const QString& text,
                            MessageBox::Answer byDefault) override;

    const std::vector<Shown>& shown() const { return m_shown; }
    QString lastText() const { return m_shown.empty() ? QString() : m_shown.back().text; }
    // The default answer of the last box shown.
    MessageBox::Answer lastDefault() const {
        return m_shown.empty() ? MessageBox::Answer::Yes : m_shown.back().byDefault;
    }
    // Texts of all boxes shown so far, in order.
    std::vector<QString> texts() const;
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<MessageBox::Answer> m_answers;
};
