#pragma once

#include <QMainWindow>
#include <functional>

namespace vontal {

class ContentView;

// A top-level window around one ContentView, with the application's menu: "New Window" (Ctrl+N)
// opens another window on the same manager.
class MainWindow final : public QMainWindow {
public:
    // `quit` ends vontal (File > Quit, Ctrl+Q).
    MainWindow(ContentView* content, std::function<void()> newWindow, std::function<void()> quit,
               QWidget* parent = nullptr);

    ContentView* content() const { return content_; }
    // Shows the window in front of the others, restoring it if it was minimised.
    void bringForward();

private:
    ContentView* content_;
};

} // namespace vontal
