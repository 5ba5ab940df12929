#include "controls/png_image.h"

#include <cstring>
#include <new>

namespace {

struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};

bool Failed(DWORD code, DWORD& error)
{
    error = code;
    return false;
}

}  // namespace

bool LoadPngImage(WORD id, const wchar_t* type, ImagePtr& slot, DWORD& error)
{
    error = 0;
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return false;

    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return Failed(GetLastError(), error);

    // GDI+ may decode lazily and reads the stream for as long as the image lives, so
    // the copy belongs to the stream (freed with its last release) and the image keeps
    // the stream.
    const HGLOBAL copy = GlobalAlloc(GMEM_FIXED, size);
    if (!copy)
        return Failed(ERROR_NOT_ENOUGH_MEMORY, error);
    std::memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);

    IStream* rawStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &rawStream)) || !rawStream) {
        GlobalFree(copy);
        return Failed(ERROR_NOT_ENOUGH_MEMORY, error);
    }
    std::unique_ptr<IStream, StreamReleaser> stream(rawStream);

    // GDI+'s operator new gives null when memory runs out, and a plain new-expression
    // would then construct the image at address 0. No memory: the slot stays empty and
    // the controls draw nothing for it.
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::Image));
    slot.reset(memory ? ::new (memory) Gdiplus::Image(stream.get()) : nullptr);
    return true;
}

void DrawImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height)
{
    // An image that could not be decoded has no native image; GDI+ refuses to draw
    // it and nothing shows.
    if (!image)
        return;
    const int imageWidth = static_cast<int>(image->GetWidth());
    const int imageHeight = static_cast<int>(image->GetHeight());
    if (imageWidth == width && imageHeight == height) {
        graphics.DrawImage(image, x, y, width, height);
        return;
    }
    DrawImagePart(graphics, image, Gdiplus::Rect(x, y, width, height), 0, 0, imageWidth, imageHeight);
}

void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& target, int sourceX,
                   int sourceY, int sourceWidth, int sourceHeight)
{
    if (!image)
        return;
    const Gdiplus::InterpolationMode oldInterpolation = graphics.GetInterpolationMode();
    const Gdiplus::PixelOffsetMode oldOffset = graphics.GetPixelOffsetMode();
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // The filter reads past the picture's border; mirrored there, the edge pixels keep
    // their colour instead of fading into the transparent outside.
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.DrawImage(image, target, sourceX, sourceY, sourceWidth, sourceHeight, Gdiplus::UnitPixel, &edges);
    graphics.SetPixelOffsetMode(oldOffset);
    graphics.SetInterpolationMode(oldInterpolation);
}
