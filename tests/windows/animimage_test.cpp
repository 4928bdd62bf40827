#include "framework/animimage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win_host.h"

namespace {

// The picture as the build committed it, read from the source tree (a Unix path under Wine).
std::vector<char> ReadPicture() {
    std::string path = KEYRA_SOURCE_DIR "/resources/easteregg.gif";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AnimatedImage, TheOptionsPictureDecodesAsOneHundredLoopingFramesAndPlaysFaster) {
    const std::vector<char> gif = ReadPicture();
    ASSERT_FALSE(gif.empty());
    const HWND host = wintest::Persistent(L"KeyraTestHost", 40, 40, 260, 80);
    kf::AnimatedImage image(host, {2, 2, 211, 24}, true);
    ASSERT_TRUE(image.Load(gif.data(), gif.size()));
    EXPECT_EQ(image.PictureSize().cx, 211);
    EXPECT_EQ(image.PictureSize().cy, 24);
    ASSERT_EQ(image.FrameCount(), 100);
    EXPECT_EQ(image.LoopCount(), 0) << "loops for ever";
    EXPECT_EQ(image.Delays()[0], 100);

    // At ten times the speed the 100 ms frames come every 10 ms: half a loop well within 3 s.
    image.SetSpeed(1000);
    image.Start();
    EXPECT_TRUE(wintest::PumpUntil([&] { return image.Frame() >= 50; }, 3000));
    image.Stop();
    const int stopped = image.Frame();
    wintest::PumpUntil([] { return false; }, 100);
    EXPECT_EQ(image.Frame(), stopped);

    const char junk[] = "GIF89a not a picture";
    EXPECT_FALSE(image.Load(junk, sizeof junk));
    EXPECT_EQ(image.FrameCount(), 0);
}

}  // namespace
