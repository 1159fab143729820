// PNG text that OpenImageIO 2.4 does not carry: text chunks after the image
// data (ImageMagick writes its comment and dates there), which its reader
// never reaches, and the character set of tEXt, which is Latin-1 by the
// standard while the library passes its bytes on as they are.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PngTextAfterData {
    std::vector<std::pair<std::string, std::string>> text;  // attribute name, UTF-8 value
    std::vector<std::string> unread;  // compressed chunks, named for the one-line note
};

// The tEXt and uncompressed iTXt chunks after the first IDAT, keywords
// named as the library names them before it ("Description" is
// ImageDescription).
PngTextAfterData ReadPngTextAfterData(const std::string& path);

// PNG chunks before the image data that the library does not read, named
// for the one-line note: cHRM (the primaries and white point).
std::vector<std::string> UnreadPngChunks(const std::string& path);

// Text from a tEXt chunk as UTF-8: kept if it is UTF-8 already (as some
// writers, the library among them, store it), else read as Latin-1.
std::string TextAsUtf8(const std::string& bytes);

// UTF-8 text as Latin-1 for a tEXt chunk; false when it has characters
// beyond Latin-1.
bool TextAsLatin1(const std::string& utf8, std::string& latin1);
