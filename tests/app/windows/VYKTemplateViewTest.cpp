// The template form's table, binding and combo box against a fake main frame.
#include "app/windows/VYKTemplateView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class FakeTemplateHost : public TemplateViewHost
{
public:
    // A child frame; view 0 means it is not a spectrum window.
    void addFrame(uint32_t frame, uint32_t view, const std::string& title)
    {
        frames.push_back(frame);
        if (view != 0) {
            spectra[frame] = SpectrumWindow{view, title};
            live.insert(view);
        }
        live.insert(frame);
    }
    void closeFrame(uint32_t frame)
    {
        frames.erase(std::remove(frames.begin(), frames.end(), frame), frames.end());
        live.erase(frame);
        if (spectra.count(frame))
            live.erase(spectra[frame].view);
        spectra.erase(frame);
    }

    std::vector<uint32_t> childWindows() override
    {
        ++walks;
        return frames;
    }
    std::optional<SpectrumWindow> spectrumWindow(uint32_t frame) override
    {
        const auto found = spectra.find(frame);
        if (found == spectra.end())
            return std::nullopt;
        return found->second;
    }
    bool isWindow(uint32_t window) override { return live.count(window) != 0; }
    bool addTemplateView(uint32_t view) override
    {
        registered.push_back(view);
        return true;
    }
    void resetComboBox() override { combo.clear(); }
    void insertComboString(int index, const std::string& text) override
    {
        combo.insert(combo.begin() + index, text);
    }
    void selectComboString(const std::string& text) override { shown = text; }

    std::vector<uint32_t> frames;
    std::map<uint32_t, SpectrumWindow> spectra;
    std::set<uint32_t> live;
    std::vector<uint32_t> registered;
    std::vector<std::string> combo;
    std::string shown;
    int walks = 0;
};

TEST(VYKTemplateViewTest, ListsSpectrumWindowsInOrderAndBindsTheFirst)
{
    FakeTemplateHost host;
    host.addFrame(10, 110, "Spectrum2");
    host.addFrame(11, 0, "Graph1");
    host.addFrame(12, 112, "Spectrum1");
    CVYKTemplateView form(host);
    form.OnInitialUpdate();

    EXPECT_EQ(host.combo, (std::vector<std::string>{"Spectrum2", "Spectrum1"}));
    EXPECT_EQ(host.shown, "Spectrum2");
    EXPECT_EQ(host.registered, std::vector<uint32_t>{110});
    EXPECT_EQ(form.boundSpectrumView(), 110u);
    EXPECT_EQ(form.selectedEntry(), 0);

    // A third window, topmost: the combo box lists three when it takes the focus; the form
    // stays bound to the window it found first and registers nowhere else.
    host.frames.insert(host.frames.begin(), 13);
    host.spectra[13] = {113, "Spectrum3"};
    host.live.insert({13, 113});
    form.OnComboSetFocus();
    EXPECT_EQ(host.combo, (std::vector<std::string>{"Spectrum3", "Spectrum2", "Spectrum1"}));
    EXPECT_EQ(form.boundSpectrumView(), 110u);
    EXPECT_EQ(host.registered, std::vector<uint32_t>{110});

    EXPECT_EQ(form.OnScanNotice(1234, 110), 1);
}

TEST(VYKTemplateViewTest, WithoutSpectrumWindowsBindsNothing)
{
    FakeTemplateHost host;
    host.addFrame(11, 0, "Graph1");
    CVYKTemplateView form(host);
    form.OnInitialUpdate();
    EXPECT_TRUE(host.combo.empty());
    EXPECT_TRUE(host.registered.empty());
    EXPECT_EQ(form.boundSpectrumView(), 0u);
    form.OnComboSetFocus();
    EXPECT_TRUE(host.combo.empty());
}

TEST(VYKTemplateViewTest, BoundWindowThatClosedIsNoLongerHeld)
{
    FakeTemplateHost host;
    host.addFrame(10, 110, "Spectrum1");
    host.addFrame(12, 112, "Spectrum2");
    CVYKTemplateView form(host);
    form.OnInitialUpdate();
    host.closeFrame(10);
    EXPECT_EQ(form.boundSpectrumView(), 0u);
    form.OnComboSetFocus();
    EXPECT_EQ(host.combo, std::vector<std::string>{"Spectrum2"});
    EXPECT_EQ(form.boundSpectrumView(), 0u);
}

TEST(VYKTemplateViewTest, TableKeepsTwoHundredEntriesAndBoundedTitles)
{
    FakeTemplateHost host;
    for (uint32_t k = 0; k < 230; ++k)
        host.addFrame(1000 + k, 5000 + k, "Spectrum" + std::to_string(k + 1));
    // A long title of two-byte characters is cut below 256 bytes without splitting one.
    std::string longTitle;
    for (int i = 0; i < 200; ++i)
        longTitle += "\xc3\xa9";
    host.spectra[1000].title = longTitle;
    CVYKTemplateView form(host);
    form.OnInitialUpdate();
    ASSERT_EQ(form.entries().size(), 200u);
    EXPECT_EQ(host.combo.size(), 200u);
    EXPECT_EQ(form.entries().back().title, "Spectrum200");
    EXPECT_EQ(form.entries().front().title.size(), 254u);
    EXPECT_EQ(form.entries().front().title, longTitle.substr(0, 254));
}

} // namespace
