#include "RecordingMessageBoxes.h"

RecordingMessageBoxes::RecordingMessageBoxes() {
    MessageBox::setHandler(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes() {
    MessageBox::setHandler(nullptr);
}

MessageBox::Answer RecordingMessageBoxes::show(QWidget*, MessageBox::Kind kind, const QString& text,
                                               MessageBox::Answer byDefault) {
    m_shown.push_back({kind, text, byDefault});
    if (m_answers.empty())
        return MessageBox::Answer::Yes;
    const MessageBox::Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::vector<QString> RecordingMessageBoxes::texts() const {
    std::vector<QString> result;
    for (const Shown& s : m_shown)
        result.push_back(s.text);
    return result;
}
