#pragma once

#include "status_report.h"

#include <QWidget>
#include <vector>

class QPushButton;

namespace vontal {

class TwoLineLabel;

// Above the lists: the status report's lines, top to bottom, each with the button of its action
// where vontal can help (switching the adapter or vontal's GNOME Shell extension on). Hidden when
// all is well.
class StatusLine final : public QWidget {
public:
    explicit StatusLine(StatusReport& report, QWidget* parent = nullptr);

    // The line shown now about `topic`, or null. It takes at most two lines of the window; its
    // whole text is its fullText().
    TwoLineLabel* line(StatusReport::Topic topic) const;
    // The button beside that line, or null while the line offers none.
    QPushButton* button(StatusReport::Topic topic) const;
    // The texts shown now, top to bottom, whole.
    QStringList shownTexts() const;

private:
    struct Row {
        QWidget* box = nullptr;
        TwoLineLabel* text = nullptr;
        QPushButton* button = nullptr;
        StatusReport::Line shown;
    };

    void update();
    void clicked(Row& row);
    const Row* shownRow(StatusReport::Topic topic) const;

    StatusReport& report_;
    // One per topic, the report's most; made with the line, so their buttons come before the
    // lists in the focus chain. Row i shows line i, the rest are hidden.
    std::vector<Row> rows_;
    std::size_t shownRows_ = 0;
    Subscription changes_;
};

} // namespace vontal
