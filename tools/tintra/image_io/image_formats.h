// What tintra knows of image formats, all of it from OpenImageIO: which
// names it reads and writes, whether an output can be written at all, and the
// library's messages made into tintra's one-line reasons.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

// Whether a name ends in an extension OpenImageIO reads (for the frames of
// a folder) or writes as an image a render fits in (for outputs: not a
// one-channel depth map, a terminal or nowhere).
bool IsReadableImageName(const std::string& path);
bool IsWritableImageName(const std::string& path);

// What can be known about an output before any input is decoded: a format
// for its extension and a folder to write in. One-line reason on failure.
bool CheckOutputPath(const std::string& path, std::string& error);

// Refuses pages > 1 for an output whose format holds a single page, so that
// no page is dropped in silence.
bool CheckPagesFit(const std::string& path, int pages, std::string& error);

// Refuses a size the output's writer cannot encode: OpenImageIO 2.4
// writes a JPEG 2000 of less than 32 pixels a side as a file no reader
// opens, and an ICO holds at most 256.
bool CheckSizeFits(const std::string& path, int width, int height, std::string& error);
// Both, for an input of these pages, the first with this header: what a
// render and its dry run check from the headers, before any pixel.
bool CheckOutputHolds(const std::string& path, int pages, const OIIO::ImageSpec& first, std::string& error);

// The extension of a path in lower case, without the dot ("" if none).
std::string ExtensionOf(const std::string& path);

// A library message as one line without the file's name, which the caller
// gives already.
std::string LibraryReason(std::string text, const std::string& path);

// "a, b, c".
std::string CommaList(const std::vector<std::string>& items);

// Whether a page's alpha is stored premultiplied (associated): a TIFF that
// says so, and every EXR and IFF. Other formats store straight alpha; a reader that
// does not know (BMP, SGI, DPX) gives its samples as stored.
bool StoresAssociatedAlpha(const std::string& format, const OIIO::ImageSpec& header);
// Whether a format can say which kind of alpha it stores (TIFF), or else
// the one kind it holds.
enum class AlphaKind { Either, Straight, Premultiplied };
AlphaKind AlphaKindOf(const std::string& format);
