#pragma once

#include <QLabel>

namespace vontal {

// A one-line label for names from outside: control characters show as visible symbols (so a
// name cannot break the line or hide text), and a name wider than the label ends in "…" when
// painted, while text() keeps the whole name. The whole name is also the tooltip.
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Shows `name` (UTF-8 from the device or the store, turned visible here).
    void setName(const QString& name);
    // What is painted at the label's present width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vontal
