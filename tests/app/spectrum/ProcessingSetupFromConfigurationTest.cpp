#include "app/spectrum/ProcessingSetupFromConfiguration.h"

#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace app::spectrum::test {
namespace {

// The setup follows the configuration's reference monitoring, including the pixels the
// configuration derives from wavelengths.
TEST(ProcessingSetupFromConfiguration, MirrorsTheConfiguration)
{
    FakeConfigurationHost host;
    const auto folder = freshFolder("setup");
    CSpectrometerConfiguration configuration((folder / "a.spec").string(), 0, host);
    configuration.SetChannelEnabled(2, 1);
    configuration.SetReferenceChannel(2, 1);
    configuration.SetReferenceType(2, 3);
    configuration.SetReferenceWavelength(2, 500.0f);
    configuration.SetReferenceBandwidthStart(2, 450.0f);
    configuration.SetReferenceBandwidthEnd(2, 550.0f);

    auto setup = std::make_unique<ProcessingSetup>();
    setup->channels[5].pixelMap.fill(77);
    fillProcessingSetup(configuration, *setup);

    const unsigned n = configuration.GetPixelCount();
    ASSERT_GT(n, 0u);
    EXPECT_EQ(setup->pixelCount, n);
    for (int k = 0; k < kSpectrumChannels; ++k) {
        SCOPED_TRACE(k);
        const ChannelMonitoring& c = setup->channels[k];
        EXPECT_EQ(c.enabledInConfiguration, configuration.GetChannelEnabled(k));
        EXPECT_EQ(c.referenceChannel, configuration.GetReferenceChannel(k));
        EXPECT_EQ(c.referenceType, configuration.GetReferenceType(k));
        EXPECT_EQ(c.wavelengthPixel, configuration.GetReferenceWavelengthPixel(k));
        EXPECT_EQ(c.bandStartPixel, configuration.GetReferenceBandwidthStartPixel(k));
        EXPECT_EQ(c.bandEndPixel, configuration.GetReferenceBandwidthEndPixel(k));
        std::vector<uint16_t> map(kSpectrumPoints, 0);
        configuration.GetReferencePixelMap(k, map.data());
        EXPECT_TRUE(std::equal(map.begin(), map.end(), c.pixelMap.begin()));
    }
    EXPECT_EQ(setup->channels[2].referenceType, 3);
    EXPECT_EQ(setup->channels[2].referenceChannel, 1u);
}

} // namespace
} // namespace app::spectrum::test
