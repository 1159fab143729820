// What an output file's header says: the source's metadata carried over,
// the samples, compression and subsampling asked for, and what of the
// metadata a written file turned out not to hold.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/image_io/samples.h"

struct WriteOptions {
    int png_compression = 1;  // zlib level 0..9
    Samples samples = Samples::Input;  // the file's samples; Input: as near the source's as the format holds
    std::string compression;  // the library's NAME or NAME:QUALITY; empty: the format's default
    std::string subsampling;  // JPEG chroma subsampling; empty: the source's, else 4:4:4
    bool no_clobber = false;  // an existing file is never replaced
};

// Whether some writer of OpenImageIO 2.4 takes a compression of this name
// (before any ":QUALITY"); any other would silently become the default.
bool KnownCompression(const std::string& name);

// The line for a --compression the output's format does not take, or whose
// writer chose another for these samples (read back from written); empty if
// it was used or none was asked for.
std::string CompressionNote(const std::string& format, const std::string& extension, const std::string& asked,
                            const OIIO::ImageSpec& written);

// The samples, compression and subsampling asked for, or the defaults (an
// EXR's compression kept from an EXR source).
void ChooseEncoding(const std::string& format, const WriteOptions& options, OIIO::ImageSpec& header);

// The library writes a PNG's text as tEXt, which holds Latin-1: UTF-8 text
// is written as Latin-1 where it can be, and left out, said in note, where not.
void KeepLatin1Text(OIIO::ImageSpec& header, std::string& note);

// A header's samples as the command line names them ("uint16", "half").
std::string SamplesName(const OIIO::ImageSpec& header);

// The samples of a file as written, in the words of a summary: "8-bit",
// "16-bit", "half float", "float".
std::string WrittenSamples(const std::string& path);

// What of the source's metadata the written file no longer has.
std::vector<std::string> LostMetadata(const OIIO::ImageSpec& wanted, const OIIO::ImageSpec& got);

// The description of an output page: the source's metadata, if any, with the
// image's own size, channels and depth. An EXR source's compression stays
// (source_format: the library's name of the source's format), for an EXR
// output to keep unless asked otherwise; ChooseEncoding drops it for any
// other format. The colour and alpha channels take names, if given (a
// layer's, as the file names them), else R, G, B and A.
OIIO::ImageSpec OutputHeader(const Image& image, const OIIO::ImageSpec* source, const std::string& source_format = "",
                             const std::vector<std::string>& names = {});
