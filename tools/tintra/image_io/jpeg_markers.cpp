#include "tools/tintra/image_io/jpeg_markers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <vector>

#include <jpeglib.h>

#include <OpenImageIO/tiffutils.h>

#include "tools/tintra/image_io/image_formats.h"

JpegLibraryError::~JpegLibraryError() = default;

namespace {

constexpr size_t kMarkerData = 65533;  // a marker's 16-bit length counts itself

size_t LongestBlock(const OIIO::ImageSpec& header)
{
    std::vector<char> exif = {'E', 'x', 'i', 'f', 0, 0};
    OIIO::encode_exif(header, exif);
    std::vector<char> iptc;
    OIIO::encode_iptc_iim(header, iptc);
    // The Photoshop resource that holds the IPTC block adds 26 bytes, the
    // XMP namespace 29.
    const size_t sizes[] = {header.get_string_attribute("ImageDescription").size() + 1, exif.size(),
                            iptc.empty() ? 0 : iptc.size() + 26, OIIO::encode_xmp(header, true).size() + 29};
    size_t longest = 0;
    for (size_t size : sizes) longest = size > longest ? size : longest;
    return longest;
}

[[noreturn]] void ThrowJpegError(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX] = {};
    info->err->format_message(info, message);
    throw JpegLibraryError(std::string("the JPEG library failed: ") + message);
}

}  // namespace

void FitJpegMarkers(OIIO::ImageSpec& header, std::string& note)
{
    std::vector<std::string> left_out;
    while (LongestBlock(header) > kMarkerData) {
        const OIIO::ParamValue* longest = nullptr;
        for (const OIIO::ParamValue& p : header.extra_attribs)
            if (p.type() == OIIO::TypeString &&
                (longest == nullptr || p.get_string().size() > longest->get_string().size()))
                longest = &p;
        if (longest == nullptr) break;
        left_out.push_back(longest->name().string());
        header.erase_attribute(left_out.back());
    }
    if (!left_out.empty()) note = "a JPEG marker holds 64 KB: left out the input's " + CommaList(left_out);
}

// libjpeg's own default handler ends the process on an error, and
// OpenImageIO 2.4's JPEG writer keeps it. The library's other users here
// (OpenImageIO's reader, libtiff's JPEG codec) put their own handler in
// after this returns; the writer's errors become an exception, caught where
// the file is written. This definition comes first in the process's symbol
// lookup, ahead of libjpeg's, which it calls.
extern "C" struct jpeg_error_mgr* jpeg_std_error(struct jpeg_error_mgr* err)
{
    using StdError = struct jpeg_error_mgr* (*)(struct jpeg_error_mgr*);
    static const StdError library = reinterpret_cast<StdError>(dlsym(RTLD_NEXT, "jpeg_std_error"));
    if (library == nullptr) {
        std::fputs("tintra: libjpeg's jpeg_std_error is not found\n", stderr);
        std::abort();
    }
    struct jpeg_error_mgr* made = library(err);
    made->error_exit = ThrowJpegError;
    return made;
}
