#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

// While it lives, input (keys, mouse buttons, mouse movements, the wheel)
// is held back instead of handled; when it ends, what it held is posted
// again in its order, for the event loop to handle next. A press of Escape
// passes and so does the window system's close, so that a program holding
// its input for a while can still be closed at once.
class CInputHold : public QObject {
public:
    CInputHold();
    ~CInputHold() override;
    CInputHold(const CInputHold&) = delete;
    CInputHold& operator=(const CInputHold&) = delete;

    // Whether Escape or a close has passed: what holds can stop holding.
    bool CloseRequested() const { return m_closeRequested; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
    bool m_closeRequested = false;
};
