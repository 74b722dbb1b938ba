#include "graphics/image_decoder.h"

#include <cstring>
#include <new>

#include "graphics/image_readers.h"
#include "graphics/resample.h"

namespace tsuzuri {
namespace {

// The readers in the order they are asked; the first that accepts decides the format. The
// formats without a signature (Targa, the bare bitmap) come last.
constexpr ImageReader kReaders[] = {
    {ImageFormatBmp, readBmpInfo, decodeBmp}, {ImageFormatPpm, readPnmInfo, decodePnm},
    {ImageFormatDds, readDdsInfo, decodeDds}, {ImageFormatJpg, readJpegInfo, decodeJpeg},
    {ImageFormatPng, readPngInfo, decodePng}, {ImageFormatPfm, readPfmInfo, decodePfm},
    {ImageFormatHdr, readHdrInfo, decodeHdr}, {ImageFormatTga, readTgaInfo, decodeTga},
    {ImageFormatDib, readDibInfo, decodeDib},
};

const ImageReader* identify(ByteView bytes, ImageInfo& info) {
    for (const ImageReader& reader : kReaders) {
        ImageInfo candidate;
        if (reader.readInfo(bytes, candidate)) {
            candidate.fileFormat = reader.fileFormat;
            info = candidate;
            return &reader;
        }
    }
    return nullptr;
}

bool allocatePixels(DecodedImage& image, std::uint32_t width, std::uint32_t height, bool clear) {
    if (!isTextureSizeAllowed(width, height)) {
        return false;
    }
    const std::size_t count = std::size_t{width} * height;
    try {
        if (clear) {
            image.pixels.assign(count, 0);
        } else {
            image.pixels.clear();
            image.pixels.resize(count);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.width = width;
    image.height = height;
    return true;
}

}  // namespace

bool allocateImage(DecodedImage& image, std::uint32_t width, std::uint32_t height) {
    return allocatePixels(image, width, height, true);
}

bool allocateImageUncleared(DecodedImage& image, std::uint32_t width, std::uint32_t height) {
    return allocatePixels(image, width, height, false);
}

Status readImageInfo(const std::uint8_t* bytes, std::uint32_t size, ImageInfo& info) {
    if (bytes == nullptr || size == 0) {
        return E_FAIL;
    }
    ImageInfo found;
    if (identify(ByteView{bytes, size}, found) == nullptr) {
        return E_FAIL;
    }
    info = found;
    return S_OK;
}

Status decodeImageToTexture(const std::uint8_t* bytes, std::uint32_t size, std::uint32_t width,
                            std::uint32_t height, TextureSlot& out) {
    if (bytes == nullptr || size == 0) {
        return E_FAIL;
    }
    const ByteView view{bytes, size};
    ImageInfo info;
    const ImageReader* reader = identify(view, info);
    DecodedImage image;
    if (reader == nullptr || !reader->decode(view, image)) {
        return E_FAIL;
    }
    // The decoded pixels become the texture's own, without a copy.
    TextureSlot texture = adoptTexturePixels(image.width, image.height, std::move(image.pixels));
    if (!texture) {
        return E_FAIL;
    }
    if (image.width != width || image.height != height) {
        texture = resampleTexture(*texture, width, height);
        if (!texture) {
            return E_FAIL;
        }
    }
    out = std::move(texture);
    return S_OK;
}

}  // namespace tsuzuri
