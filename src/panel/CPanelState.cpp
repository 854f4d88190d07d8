#include "panel/CPanelState.h"

#include "panel/CNameEdit.h"

#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTextEdit>

namespace {

QString FromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// The info text is kept with CR LF line ends; the text widget wants LF.
QString InfoToWidget(const std::string& text)
{
    QString widgetText = FromLocal(text);
    widgetText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return widgetText;
}

// Selected by the program, so without a selection-change notification.
void SelectFirstBeginningWith(QListWidget* list, const std::string& text)
{
    if (text.empty())
        return;
    const QString prefix = FromLocal(text);
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text().startsWith(prefix)) {
            const QSignalBlocker blocker(list);
            list->setCurrentRow(row);
            return;
        }
    }
}

std::string SelectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? std::string() : ToLocal(selected.first()->text());
}

} // namespace

void CPanelState::PushTexts()
{
    // Unchanged texts are not set again, so that a push does not reset the
    // caret, selection or scroll position of a control the user works in.
    if (controls.statusLine->text() != FromLocal(statusText))
        controls.statusLine->setText(FromLocal(statusText));
    if (controls.display->text() != FromLocal(displayText))
        controls.display->setText(FromLocal(displayText));
    const QString info = InfoToWidget(infoText);
    if (controls.infoText->toPlainText() != info) {
        controls.infoText->setPlainText(info);
        controls.infoText->selectAll();
        controls.infoText->setAlignment(Qt::AlignHCenter);
        QTextCursor cursor = controls.infoText->textCursor();
        cursor.clearSelection();
        cursor.movePosition(QTextCursor::Start);
        controls.infoText->setTextCursor(cursor);
    }
    if (controls.lineCounter->text() != FromLocal(counterText))
        controls.lineCounter->setText(FromLocal(counterText));
    SelectFirstBeginningWith(controls.scriptList, scriptListSelection);
    SelectFirstBeginningWith(controls.lineList, lineListSelection);
}

void CPanelState::PullTexts()
{
    statusText = ToLocal(controls.statusLine->text());
    displayText = ToLocal(controls.display->text());
    QString info = controls.infoText->toPlainText();
    info.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    infoText = ToLocal(info);
    counterText = ToLocal(controls.lineCounter->text());
    scriptListSelection = SelectedText(controls.scriptList);
    lineListSelection = SelectedText(controls.lineList);
}
