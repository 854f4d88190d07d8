#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QString>

class CPlatform;

// The panel's one-line display, which is also the field where a recording
// gets its name. Its character filter refuses the nine characters that
// cannot be part of a script name (" * , . / : ; ? \): a typed one is
// dropped with the desktop's alert, and pasted or dropped text loses them
// silently, so that no name can reach outside the script directory.
class CNameEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int NameLimit = 8;

    explicit CNameEdit(CPlatform& platform, QWidget* parent = nullptr);

    // The typing limit: 8 while a name is entered, DefaultLimit otherwise.
    // Like the text limit of a classic edit field it limits what is typed or
    // pasted, not what the program sets: a longer name chosen from the list
    // is shown whole.
    static constexpr int DefaultLimit = 30000;
    void SetTextLimit(int limit) { m_limit = limit; }
    int TextLimit() const { return m_limit; }

    static bool IsRefused(QChar c);
    // text without the refused characters and without line breaks and tabs.
    static QString Filtered(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Typed characters go through here: refused ones beep and are dropped.
    bool OnChar(const QString& text);
    void PasteFiltered(QClipboard::Mode mode);
    // How many characters may still be inserted in place of the selection.
    int Room() const;
    void InsertLimited(const QString& text);

    CPlatform& m_platform;
    int m_limit = DefaultLimit;
};
