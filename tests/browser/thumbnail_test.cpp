// Thumbnails of the explorer's grid: photos decoded at the smallest scale
// that still covers a cell, and first frames of recordings read into
// pixmaps that own their pixels, with damaged files refused.
#include <stdio.h>
#include <string.h>

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

std::vector<uint8_t> Bytes(const std::string& name) {
    std::vector<uint8_t> b;
    if (FILE* f = fopen(name.c_str(), "rb")) {
        int c;
        while ((c = fgetc(f)) != EOF) {
            b.push_back((uint8_t)c);
        }
        fclose(f);
    }
    return b;
}

void PutBytes(const std::string& name, const std::vector<uint8_t>& b) {
    FILE* f = fopen(name.c_str(), "wb");
    ASSERT_TRUE(f != nullptr);
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
}

// Where the device's own files keep their EXIF structure: after SOI, the
// JFIF marker and the APP1 header, little-endian.
constexpr size_t kTiff = 2 + 18 + 4 + 6;
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = uint8_t(v >> (8 * i));
    }
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST_F(ThumbnailTest, PhotosDecodeAtTheSmallestScaleCoveringTheCell) {
    std::string photo = Jpeg("p.jpg", 640, 480);
    // The same picture without its preview: the second directory unlinked.
    std::vector<uint8_t> bytes = Bytes(photo);
    ASSERT_GT(bytes.size(), kTiff + 64);
    ASSERT_EQ(0, memcmp(&bytes[kTiff - 6], "Exif\0\0", 6));
    Put32(bytes, kTiff + 8 + 2 + 24, 0);
    PutBytes("bare.jpg", bytes);
    struct {
        const char* file;
        int minW, minH, w, h;
    } cases[] = {
        // The preview, 160 x 120, at the scale that covers the cell.
        {"p.jpg", 94, 68, 100, 75},
        {"p.jpg", 160, 120, 160, 120},
        {"p.jpg", 80, 60, 80, 60},
        // Cells the preview does not cover: the picture at a reduced scale.
        {"p.jpg", 200, 150, 240, 180},
        {"p.jpg", 161, 120, 240, 180},
        {"bare.jpg", 94, 68, 160, 120},  // a quarter
        {"bare.jpg", 80, 60, 80, 60},    // exactly an eighth
        {"bare.jpg", 81, 60, 160, 120},
        {"p.jpg", 0, 0, 640, 480},       // no size: whole
        {"p.jpg", 1000, 800, 640, 480},  // bigger than the picture: whole, never enlarged
    };
    for (const auto& c : cases) {
        PSD p = GdLoadImageFromFileAtLeast(c.file, c.minW, c.minH);
        int w, h;
        Size(p, w, h);
        EXPECT_EQ(w, c.w) << c.file << " " << c.minW << "x" << c.minH;
        EXPECT_EQ(h, c.h) << c.file << " " << c.minW << "x" << c.minH;
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

// A damaged or crafted EXIF block is never followed out of the file, never
// loops, and leaves the picture to be decoded itself (160 x 120 for the
// panel's cell; the preview would give 100 x 75).
TEST_F(ThumbnailTest, CraftedPreviewsFallBackToThePicture) {
    const std::vector<uint8_t> good = Bytes(Jpeg("p.jpg", 640, 480));
    const size_t ifd0Next = kTiff + 8 + 2 + 24;
    const size_t ifd1 = kTiff + Get32(good, ifd0Next);
    ASSERT_EQ(good[ifd1], 6);  // six entries; format and length are the last two
    const size_t format = ifd1 + 2 + 4 * 12 + 8, length = ifd1 + 2 + 5 * 12 + 8;
    const uint32_t thumbAt = Get32(good, format), thumbLen = Get32(good, length);
    ASSERT_GT(thumbLen, 200u);

    struct {
        const char* what;
        size_t at;
        uint32_t value;
        int w;
    } cases[] = {
        {"offset past the end", format, 0xFFFFFF00u, 160},
        {"offset and length wrap", format, 0xFFFFFFF0u, 160},
        {"length past the block", length, 70000, 160},
        {"length 0", length, 0, 160},
        {"length cut short", length, thumbLen / 2, 160},
        {"preview off its SOI", format, thumbAt + 1, 160},
        {"first directory names itself next", ifd0Next, 8, 160},
        {"second directory past the end", ifd0Next, 0x7FFFFFF0u, 160},
        {"huge entry count", ifd1, 0xFFFFu | (good[ifd1 + 2] << 16) | (good[ifd1 + 3] << 24), 160},
        {"second directory loops to the first", ifd1 + 2 + 6 * 12, 8, 100},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> b = good;
        Put32(b, c.at, c.value);
        PSD p = GdLoadImageFromMemoryAtLeast(b.data(), b.size(), 94, 68);
        EXPECT_TRUE(p != nullptr) << c.what;
        if (p) {
            EXPECT_EQ(p->xres, c.w) << c.what;
            p->FreeMemGC(p);
        }
        PutBytes("crafted.jpg", b);
        p = GdLoadImageFromFileAtLeast("crafted.jpg", 94, 68);
        EXPECT_TRUE(p != nullptr && p->xres == c.w) << c.what << " from a file";
        if (p) {
            p->FreeMemGC(p);
        }
    }
    // A preview whose data is garbage: the picture still shows.
    std::vector<uint8_t> b = good;
    for (uint32_t i = 20; i < thumbLen; ++i) {
        b[kTiff + thumbAt + i] = 0xFF;
    }
    PSD p = GdLoadImageFromMemoryAtLeast(b.data(), b.size(), 94, 68);
    EXPECT_TRUE(p != nullptr);
    if (p) {
        p->FreeMemGC(p);
    }
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
