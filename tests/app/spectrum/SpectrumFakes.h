#pragma once

#include "app/spectrum/SpectrumDocWindow.h"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace app::spectrum::test {

// A window that records every question and answers from a queue (Yes by default).
class FakeSpectrumWindow : public SpectrumDocWindow
{
public:
    struct Reply
    {
        Answer answer = Answer::Yes;
        // The check box after the dialog: unchanged when it is not set.
        int continueToWarn = -1;
    };

    Answer showWarningDialog(const std::string& text, bool& continueToWarn) override
    {
        warnings.push_back(text);
        warningBoxStates.push_back(continueToWarn);
        const Reply reply = next();
        if (reply.continueToWarn >= 0)
            continueToWarn = reply.continueToWarn != 0;
        return reply.answer;
    }
    Answer showMessageBox(const std::string& text, const std::string& caption,
                          Buttons buttons) override
    {
        messages.push_back(text);
        captions.push_back(caption);
        this->buttons.push_back(buttons);
        return buttons == Buttons::Ok ? Answer::Ok : next().answer;
    }
    void playSoundAsync(const std::string& file) override { sounds.push_back(file); }

    std::deque<Reply> replies;
    std::vector<std::string> warnings;
    std::vector<bool> warningBoxStates;
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    std::vector<Buttons> buttons;
    std::vector<std::string> sounds;

private:
    Reply next()
    {
        if (replies.empty())
            return {};
        const Reply reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

// A fresh folder inside the test program's own temporary folder.
inline std::filesystem::path freshFolder(const std::string& name)
{
    const char* base = std::getenv("HARLUNE_TEST_DIR");
    std::filesystem::path folder =
        std::filesystem::path(base != nullptr ? base : std::filesystem::temp_directory_path()) /
        name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::filesystem::path fixture(const std::string& name)
{
    return std::filesystem::path(SPECTRUM_FIXTURE_DIR) / name;
}

} // namespace app::spectrum::test
