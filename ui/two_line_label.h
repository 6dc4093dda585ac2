#pragma once

#include <QLabel>

namespace vontal {

// A status line that takes at most two lines of the window at its present width: a longer text
// (a sentence quoting BlueZ's or the desktop's words, say) ends in "…" on its second line, and the
// whole text is the label's tooltip and accessible name. Plain text only.
class TwoLineLabel final : public QLabel {
public:
    explicit TwoLineLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit();

    QString full_;
};

} // namespace vontal
