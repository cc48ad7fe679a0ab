#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through here, so tests can see the exact text and answer.
class MessageBox {
public:
    enum class Kind { Error, Warning, Question };
    enum class Answer { Yes, No };

    // Error box with an OK button.
    static void error(QWidget* parent, const QString& text);
    // Warning box with an OK button.
    static void warning(QWidget* parent, const QString& text);
    // Confirmation box with Yes and No; Enter gives byDefault. A question whose Yes loses work
    // defaults to No, so that a stray Enter keeps it.
    static Answer question(QWidget* parent, const QString& text, Answer byDefault = Answer::Yes);

    class Handler {
    public:
        virtual ~Handler() = default;
        // byDefault is the answer Enter gives (Yes for the boxes with OK alone).
        virtual Answer show(QWidget* parent, Kind kind, const QString& text, Answer byDefault) = 0;
    };
    // Replaces the real boxes; nullptr restores them.
    static void setHandler(Handler* handler);

private:
    static Answer show(QWidget* parent, Kind kind, const QString& text, Answer byDefault);
};
