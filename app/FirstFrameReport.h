#pragma once

#include <QObject>

#include <atomic>

class QQuickItem;
class QQuickWindow;

// Prints one line to standard error once the first picture has been drawn in the window:
// "mirrel: first picture shown at <seconds since the epoch>". A script that noted the time it
// launched the program learns how long the start took, with everything in it (loading,
// compiling the screens, waiting for and decoding the picture, drawing).
class FirstFrameReport : public QObject
{
    Q_OBJECT

public:
    // Owned by the window.
    explicit FirstFrameReport(QQuickWindow *window);

private:
    // GUI thread, before each frame's synchronisation: do the items hold the picture?
    void checkPicture();
    // On the thread that renders (the GUI thread or the render thread).
    void synchronising();
    void frameSwapped();

    QQuickWindow *m_window;
    // The items hold the picture; set on the GUI thread.
    std::atomic<bool> m_pictureInItems{false};
    // A frame with the picture has been synchronised: the next frame shown has it. The frame
    // that was rendering while the GUI thread got the picture does not.
    std::atomic<bool> m_pictureSynchronised{false};
    std::atomic<bool> m_reported{false};
};
