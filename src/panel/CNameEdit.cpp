#include "panel/CNameEdit.h"

#include "platform/CPlatform.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>
#include <memory>

CNameEdit::CNameEdit(CPlatform& platform, QWidget* parent)
    : QLineEdit(parent)
    , m_platform(platform)
{
    setAcceptDrops(false);
    // The limit is kept by this class: QLineEdit's own would also cut text
    // that the program sets.
    setMaxLength(32767);
}

int CNameEdit::Room() const
{
    return std::max(0, m_limit - static_cast<int>(text().size() - selectedText().size()));
}

void CNameEdit::InsertLimited(const QString& text)
{
    insert(text.left(Room()));
}

bool CNameEdit::IsRefused(QChar c)
{
    static const QString refused = QStringLiteral("\"*,./:;?\\");
    return refused.contains(c);
}

QString CNameEdit::Filtered(const QString& text)
{
    QString result;
    for (const QChar c : text) {
        if (!IsRefused(c) && c != QLatin1Char('\r') && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            result += c;
    }
    return result;
}

bool CNameEdit::OnChar(const QString& text)
{
    if (std::any_of(text.begin(), text.end(), IsRefused)) {
        m_platform.Beep();
        return false;
    }
    return true;
}

void CNameEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        if (!isReadOnly())
            PasteFiltered(QClipboard::Clipboard);
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!OnChar(typed)) {
        event->accept();
        return;
    }
    if (!typed.isEmpty() && typed.at(0).isPrint() && !isReadOnly() && Room() < typed.size()) {
        event->accept(); // the name is full
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CNameEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (!commit.isEmpty() && (Filtered(commit) != commit || commit.size() > Room())) {
        if (Filtered(commit) != commit)
            OnChar(commit); // beeps
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(Filtered(commit).left(Room()), event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void CNameEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection on X11; filter it like any paste.
    if (event->button() == Qt::MiddleButton) {
        if (!isReadOnly()) {
            deselect();
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
            PasteFiltered(QClipboard::Selection);
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CNameEdit::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] { PasteFiltered(QClipboard::Clipboard); });
        }
    }
    menu->exec(event->globalPos());
}

void CNameEdit::PasteFiltered(QClipboard::Mode mode)
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return;
    InsertLimited(Filtered(clipboard->text(mode)));
}
