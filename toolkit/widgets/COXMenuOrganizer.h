#pragma once

#include <QIcon>
#include <QPointer>

#include <map>

class QMainWindow;

// The toolkit's bitmap-menu organiser: attached to the main frame, it collects the images of
// the frame's tool-bar buttons by command id so that menu items can show the image of the
// same command. GUI thread only.
class COXMenuOrganizer
{
public:
    COXMenuOrganizer() = default;
    ~COXMenuOrganizer();
    COXMenuOrganizer(const COXMenuOrganizer&) = delete;
    COXMenuOrganizer& operator=(const COXMenuOrganizer&) = delete;

    // Attaches to a frame (false when null or already attached to another).
    bool AttachFrameWindow(QMainWindow* frame);
    // Forgets the frame and the collected images (at close).
    void DetachFrameWindow();
    bool isAttached() const { return !m_frame.isNull(); }

    // Collects the images of the buttons of every tool bar of the attached frame; the number
    // of commands that have an image.
    int CollectToolBarImages();
    // The image collected for a command, or a null icon.
    QIcon image(unsigned commandId) const;

private:
    QPointer<QMainWindow> m_frame;
    std::map<unsigned, QIcon> m_images;
};
