#pragma once

#include <string>

class QWidget;

// The window placement of the child frames in the framework profile (the graph and grid frames
// in section "MainWindowSize"), in the main frame's text format. GUI thread only.
namespace frame_placement {

// Applies the stored placement when all its fields parse; false otherwise (the frame keeps
// its default place).
bool restore(QWidget* frame, const std::string& entry);
bool restore(QWidget* frame, const std::string& section, const std::string& entry);
// Writes the frame's placement, with the flags 2 when it is maximised and 0 otherwise.
void save(const QWidget* frame, const std::string& entry);
void save(const QWidget* frame, const std::string& section, const std::string& entry);

} // namespace frame_placement
