// Writing image files through OpenImageIO, in the format the output's
// extension names, with the input's metadata, through a temporary file that
// takes the output's name only once it is complete and reads back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/image_io/output_header.h"

// Writes into a temporary file beside the target and renames it over the
// target only once it is complete, so that a failure or an interrupt never
// leaves a partial file under the final name. Pages go in order, and the
// rows of a page in order, possibly band by band as they are rendered.
class ImageWriter {
public:
    ImageWriter();
    ~ImageWriter();  // an unfinished file is removed

    // carried: each page's channels beyond colour and alpha (or none), to
    // go out unchanged where the format holds them; they must stay in
    // place until Finish.
    bool Open(const std::string& path, const std::vector<OIIO::ImageSpec>& pages, const WriteOptions& options,
              std::string& error, const std::vector<const CarriedChannels*>& carried = {});
    bool WriteRows(int page, const Image& image, int32_t top, int32_t bottom, std::string& error);
    // Completes the file and puts it in place. notes receives one line naming
    // the metadata the output's format could not hold.
    bool Finish(std::vector<std::string>& notes, std::string& error);

    struct State;

private:
    std::unique_ptr<State> state_;
};

// The whole of a file at once, for images made in one piece (sheet, generate).
bool WriteImageFile(const std::string& path, const std::vector<Page>& pages, const WriteOptions& options,
                    std::vector<std::string>& notes, std::string& error);
