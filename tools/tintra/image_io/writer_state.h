// The state of a file being written, shared by the writer and the steps
// that finish the file before it takes its name.
#pragma once

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/image_io/metadata_packets.h"
#include "tools/tintra/image_io/output_file.h"
#include "tools/tintra/image_io/tiled_rows.h"
#include "tools/tintra/image_io/written_check.h"

struct ImageWriter::State {
    std::string path, temp, format;  // path: the file replaced (a link's target)
    int fd = -1, lock = -1;  // lock: held until the file has its name
    std::string stale_note;  // temporary files of path left by killed runs, removed
    std::unique_ptr<RecordingFile> proxy;
    std::unique_ptr<OIIO::ImageOutput> out;
    std::vector<OIIO::ImageSpec> headers;
    int page = 0;
    bool finished = false;
    std::vector<unsigned char> rows;
    std::string alpha_note;  // alpha kept as stored in a format of the other kind
    std::vector<std::string> wanted;  // each page's samples as asked for
    std::string samples_note;  // samples the format could not hold
    std::string compression;  // as --compression asked, or empty
    std::string text_note;  // text a PNG's tEXt cannot hold
    std::vector<unsigned char> png_chunks;  // an input PNG's chunks, for a PNG output
    bool colour_kept = false;  // the output's colour encoding is the input's
    std::string chunks_note;  // the input's PNG chunks left out
    MetadataPackets packets;  // the input's XMP and TIFF colour tags, put in after writing
    std::vector<std::string> packets_lost;  // those the output does not hold
    std::string grey_note;  // a grey input written in colour
    uint64_t clipped = 0, float_values = 0;  // float samples written as integers
    bool all_grey = true;  // every pixel written so far has R = G = B
    bool greyed = false;  // written as grey, R = G = B being the input's grey
    std::vector<const CarriedChannels*> carried;  // per page; null or empty: none
    std::string carried_note;  // channels left out or changed by the format
    std::vector<unsigned char> mixed;  // rows of colour and carried channels together
    bool no_clobber = false;
    WrittenCheck check;  // how the written file is read back
    std::unique_ptr<TiledRows> tiles;  // for a writer that takes tiles only

    // Why a write failed, in the system's words, or empty if unknown: the
    // proxy's record, or else one more write past the end, which meets what
    // the library met (a full disk, a size limit).
    std::string SystemLibraryReason() const
    {
        if (proxy && proxy->failure != 0) return std::strerror(proxy->failure);
        if (fd >= 0) {
            static const char kProbe[65536] = {};
            struct stat info;
            for (int attempt = 0; attempt < 4 && fstat(fd, &info) == 0; ++attempt)
                if (::pwrite(fd, kProbe, sizeof kProbe, info.st_size) < 0) return std::strerror(errno);
        }
        return "";
    }

    std::string WriteError(const std::string& library) const
    {
        const std::string reason = SystemLibraryReason();
        return "cannot write: " + (reason.empty() ? LibraryReason(library, temp) : reason);
    }
};

// Puts into the closed file what the library left out of it (the input's
// PNG chunks, its metadata packets) and what it put in that a second render
// would not (the temporary file's name); false with error if that fails.
bool CompleteWrittenFile(ImageWriter::State& s, const OIIO::ImageSpec& opened, std::string& error);

// The lines a finished file is reported with, in the order of its making.
void AddNotes(const ImageWriter::State& s, const OIIO::ImageSpec& written, std::vector<std::string>& notes);
