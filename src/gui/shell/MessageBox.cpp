#include "gui/shell/MessageBox.h"

#include "core/shell/ProductIdentity.h"

#include <QMessageBox>

namespace {
MessageBox::Handler* g_handler = nullptr;
}

void MessageBox::setHandler(Handler* handler) {
    g_handler = handler;
}

void MessageBox::error(QWidget* parent, const QString& text) {
    show(parent, Kind::Error, text, Answer::Yes);
}

void MessageBox::warning(QWidget* parent, const QString& text) {
    show(parent, Kind::Warning, text, Answer::Yes);
}

MessageBox::Answer MessageBox::question(QWidget* parent, const QString& text, Answer byDefault) {
    return show(parent, Kind::Question, text, byDefault);
}

MessageBox::Answer MessageBox::show(QWidget* parent, Kind kind, const QString& text, Answer byDefault) {
    if (g_handler)
        return g_handler->show(parent, kind, text, byDefault);
    const QString title = Product::SW_Code;
    switch (kind) {
    case Kind::Error:
        QMessageBox::critical(parent, title, text);
        return Answer::Yes;
    case Kind::Warning:
        QMessageBox::warning(parent, title, text);
        return Answer::Yes;
    case Kind::Question:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     byDefault == Answer::Yes ? QMessageBox::Yes : QMessageBox::No) ==
                       QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    }
    return Answer::No;
}
