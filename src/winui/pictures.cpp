#include "winui/pictures.h"

#include "link/text_win32.h"

#include <wincodec.h>

#include <string>
#include <vector>

namespace zz::winui {

namespace {

// A COM pointer released at the end of its scope.
template <class T>
struct Com {
    T *p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T *operator->() const { return p; }
};

bool resourceBytes(std::string_view file, const void *&data, DWORD &size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const std::wstring name = link::win32::widen(std::string(file));
    HRSRC found = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    data = loaded ? LockResource(loaded) : nullptr;
    size = SizeofResource(module, found);
    return data && size;
}

}  // namespace

Bitmap loadPicture(std::string_view file) {
    const void *data = nullptr;
    DWORD size = 0;
    if (!resourceBytes(file, data, size)) return {};
    Com<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory.p))))
        return {};
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    if (FAILED(factory->CreateStream(&stream.p)) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE *>(const_cast<void *>(data)), size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnLoad,
                                                &decoder.p)) ||
        FAILED(decoder->GetFrame(0, &frame.p)) ||
        FAILED(factory->CreateFormatConverter(&converter.p)) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return {};
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || !width || !height) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(width);
    info.bmiHeader.biHeight = -LONG(height);  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    const UINT stride = width * 4;
    if (FAILED(
            converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE *>(bits)))) {
        DeleteObject(bitmap);
        return {};
    }
    return {bitmap, int(width), int(height)};
}

void drawPicture(HDC dc, const Bitmap &picture, const RECT &box) {
    if (!picture.handle) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture.handle);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetStretchBltMode(dc, HALFTONE);
    GdiAlphaBlend(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0,
                  picture.width, picture.height, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

HICON iconFromPicture(std::string_view file) {
    const Bitmap picture = loadPicture(file);
    if (!picture.handle) return nullptr;
    // An empty mask: the picture's alpha decides what shows.
    const std::vector<BYTE> clear(std::size_t((picture.width + 15) / 16 * 2 * picture.height), 0);
    HBITMAP mask = CreateBitmap(picture.width, picture.height, 1, 1, clear.data());
    ICONINFO info{TRUE, 0, 0, mask, picture.handle};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(picture.handle);
    return icon;
}

}  // namespace zz::winui
