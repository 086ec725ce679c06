// Thumbnails of the explorer's grid: photos decoded at the smallest scale
// that still covers a cell, and first frames of recordings read into
// pixmaps that own their pixels, with damaged files refused.
#include <stdio.h>

#include <string>
#include <vector>

#include "browser/velto_UI_Ctrl2LineExplorer.h"
#include "camera/color.h"
#include "media/JPEG_Encoder.h"
#include "media/velto_avi.h"
#include "tests/toolkit/tk_fixture.h"

namespace {

class ThumbnailTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        ASSERT_TRUE(initLut());
    }

    // A grey picture of w x h as a JPEG file.
    static std::string Jpeg(const std::string& name, int w, int h) {
        std::vector<unsigned char> f((size_t)w * h * 2, 128);
        FILE* file = fopen(name.c_str(), "wb");
        EXPECT_TRUE(file != nullptr);
        EXPECT_EQ(0, encode_yuyv_frame_to_jpeg(file, f.data(), (long)f.size(), w, h, 90));
        fclose(file);
        return name;
    }

    // A recording declared w x h whose chunks hold frameBytes of Y=U=V=v.
    static std::string Avi(const std::string& name, int w, int h, long frameBytes, int v) {
        avi_t* avi = AVI_open_output_file(name.c_str());
        EXPECT_TRUE(avi != nullptr);
        AVI_set_video(avi, w, h, 15, "YUY2");
        std::vector<char> f((size_t)frameBytes, (char)v);
        AVI_write_frame(avi, f.data(), frameBytes, 1);
        AVI_close(avi);
        return name;
    }

    static void Size(PSD p, int& w, int& h) {
        w = p ? p->xres : 0;
        h = p ? p->yres : 0;
    }
};

TEST_F(ThumbnailTest, PhotosDecodeAtTheSmallestScaleCoveringTheCell) {
    std::string photo = Jpeg("p.jpg", 640, 480);
    struct {
        int minW, minH, w, h;
    } cases[] = {
        {94, 68, 160, 120},                           // the panel's cell: a quarter
        {80, 60, 80, 60},                             // exactly an eighth
        {81, 60, 160, 120},    {200, 150, 240, 180},  // three eighths
        {0, 0, 640, 480},                             // no size: whole
        {1000, 800, 640, 480},  // bigger than the picture: whole, never enlarged
    };
    for (const auto& c : cases) {
        PSD p = GdLoadImageFromFileAtLeast(photo.c_str(), c.minW, c.minH);
        int w, h;
        Size(p, w, h);
        EXPECT_EQ(w, c.w) << c.minW << "x" << c.minH;
        EXPECT_EQ(h, c.h) << c.minW << "x" << c.minH;
        if (p) {
            EXPECT_NEAR((int)((((uint32_t*)p->addr)[0] >> 8) & 0xFF), 128, 8) << "grey";
            p->FreeMemGC(p);
        }
    }
    // Refused before anything is allocated for its size, at any scale.
    std::string wide = Jpeg("wide.jpg", 2112, 480);
    EXPECT_EQ(GdLoadImageFromFileAtLeast(wide.c_str(), 94, 68), nullptr);
    EXPECT_EQ(GdLoadImageFromFile(wide.c_str(), 0), nullptr);
}

TEST_F(ThumbnailTest, FirstFramesBecomePixmapsThatOwnTheirPixels) {
    PSD p =
        CVeltoUICtrl2LineExplorer::GetVideoFirstFrame(Avi("a.avi", 320, 240, 320 * 240 * 2, 200));
    ASSERT_TRUE(p != nullptr);
    EXPECT_EQ(p->xres, 320);
    EXPECT_EQ(p->yres, 240);
    EXPECT_TRUE(p->flags & PSF_ADDRMALLOC) << "the frame would leak with each page";
    uint32_t px = ((uint32_t*)p->addr)[320 * 120 + 160];
    EXPECT_GT(px & 0xFF, 150u) << std::hex << px;  // a light picture
    p->FreeMemGC(p);                               // the sanitizers see the buffer go with it

    // A frame shorter than its declared size is not converted past its end;
    // a frame larger than the declared size is not read past the buffer.
    EXPECT_EQ(CVeltoUICtrl2LineExplorer::GetVideoFirstFrame(Avi("short.avi", 320, 240, 1000, 9)),
              nullptr);
    p = CVeltoUICtrl2LineExplorer::GetVideoFirstFrame(Avi("long.avi", 32, 24, 32 * 24 * 8, 9));
    EXPECT_TRUE(p != nullptr) << "the frame's first 32 x 24 pixels";
    if (p) {
        p->FreeMemGC(p);
    }
    EXPECT_EQ(CVeltoUICtrl2LineExplorer::GetVideoFirstFrame("missing.avi"), nullptr);
}

}  // namespace
