// The two tray icons as the built quorix.exe carries them.

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "support/TestPaths.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

class TrayIconImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA(exePath("quorix.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << "quorix.exe not found beside the tests";
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    // The single 32 x 32 image of an icon group, as stored.
    const BITMAPINFOHEADER* image(const char* name) {
        HRSRC group = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        if (!group) return nullptr;
        auto* dir = static_cast<const GroupIconDir*>(LockResource(LoadResource(module, group)));
        if (!dir || dir->count != 1) return nullptr;
        HRSRC icon = FindResourceA(module, MAKEINTRESOURCEA(dir->entries[0].id), MAKEINTRESOURCEA(3));  // RT_ICON
        if (!icon) return nullptr;
        return static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, icon)));
    }

    // Checks layout and every pixel: black, with the square in `square` (0x00RRGGBB).
    void checkIcon(const char* name, DWORD square) {
        SCOPED_TRACE(name);
        const BITMAPINFOHEADER* bih = image(name);
        ASSERT_NE(nullptr, bih);
        EXPECT_EQ(32, bih->biWidth);
        EXPECT_EQ(64, bih->biHeight);  // colour image and mask
        EXPECT_EQ(4, bih->biBitCount);  // 16 colours
        const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(bih + 1);
        const BYTE* xorBits = reinterpret_cast<const BYTE*>(palette + 16);
        const BYTE* andBits = xorBits + 32 * 16;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                int row = 31 - y;  // stored bottom-up
                BYTE pair = xorBits[row * 16 + x / 2];
                int index = (x % 2) ? (pair & 0x0F) : (pair >> 4);
                DWORD rgb = (palette[index].rgbRed << 16) | (palette[index].rgbGreen << 8) | palette[index].rgbBlue;
                bool inSquare = x >= 6 && x <= 25 && y >= 5 && y <= 25;
                ASSERT_EQ(inSquare ? square : 0u, rgb) << "column " << x << " row " << y;
                bool transparent = (andBits[row * 4 + x / 8] >> (7 - x % 8)) & 1;
                ASSERT_FALSE(transparent) << "column " << x << " row " << y;
            }
        }
    }

    HMODULE module = nullptr;
};

TEST_F(TrayIconImageTest, NotConnectedIconIsWhiteSquareOnBlack) { checkIcon("APP_TRAYICON_1", 0xFFFFFF); }

TEST_F(TrayIconImageTest, ConnectedIconIsGreenSquareOnBlack) { checkIcon("APP_TRAYICON_2", 0x00FF00); }

TEST_F(TrayIconImageTest, IconsLoadAsImagesWithThoseColours) {
    for (auto [name, square] : {std::pair<const char*, COLORREF>{"APP_TRAYICON_1", RGB(255, 255, 255)},
                                std::pair<const char*, COLORREF>{"APP_TRAYICON_2", RGB(0, 255, 0)}}) {
        HICON icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(nullptr, icon) << name;
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 32;
        bi.bmiHeader.biHeight = -32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bmp);
        ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
        EXPECT_EQ(square, GetPixel(dc, 6, 5)) << name;
        EXPECT_EQ(square, GetPixel(dc, 25, 25)) << name;
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 5, 5)) << name;
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 6, 26)) << name;
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        DestroyIcon(icon);
    }
}

}  // namespace
