// The watch mode of long commands (tracing loci and lines, backgrounds,
// printing): while it lasts `busy` is set and every other command returns at
// once, the "Enter" button reads "Stop" in red and sets `stop` (and requests
// the stop of the watch's stop token), and the cursor is the hourglass.
#pragma once

#include "canvas/Colour.h"

#include <QString>

#include <stop_token>

class QPushButton;

namespace velmora {

class TWatch {
public:
    explicit TWatch(QPushButton* enterButton);
    ~TWatch();  // gives the cursor back if a watch is still on
    TWatch(const TWatch&) = delete;
    TWatch& operator=(const TWatch&) = delete;

    bool busy() const { return busy_; }
    bool stop() const { return stop_; }

    // busy := True, stop := False, red "Stop", hourglass.
    void BeginWatch();
    // busy := False, stop := True (until the next watch), navy "Enter", default cursor.
    void EndWatch();
    // The Stop button: the running computation polls the flag, or the stop
    // token of the watch (a line trace looks at it every 30 steps).
    void RequestStop() {
        stop_ = true;
        stopSource_.request_stop();
    }
    void ClearStop() {
        stop_ = false;
        stopSource_ = std::stop_source();
    }
    // The flag as a token: stopped while stop() is true (a token taken
    // before a BeginWatch or ClearStop stays stopped).
    std::stop_token StopToken() const { return stopSource_.get_token(); }

    // Caption and text colour of the Enter button, repainted at once.
    void SetEnterButton(const QString& caption, TColor colour);

private:
    QPushButton* enterButton_;
    bool busy_ = false;
    bool stop_ = false;
    std::stop_source stopSource_;
    bool watchCursor_ = false;  // the hourglass is set
};

}  // namespace velmora
