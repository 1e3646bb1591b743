#pragma once

#include <QLineEdit>

#include <functional>

namespace tintel {

// A line edit that lets no text in without asking: typed characters one by one, pasted, dropped
// and composed text as a whole.
class TimeBox final : public QLineEdit
{
    Q_OBJECT
public:
    explicit TimeBox(QWidget* parent = nullptr);

    // Asked for each typed character; false cancels it.
    std::function<bool(char16_t)> keyFilter;
    // Asked for text that arrives other than by a key; false refuses all of it.
    std::function<bool(const QString&)> textFilter;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool allowsText(const QString& text) const { return !textFilter || textFilter(text); }
    void checkedPaste();
};

} // namespace tintel
