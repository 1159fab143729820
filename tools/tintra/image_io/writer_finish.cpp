#include "tools/tintra/image_io/writer_state.h"

#include "tools/tintra/image_io/grey_png.h"
#include "tools/tintra/image_io/png_chunks.h"
#include "tools/tintra/image_io/write_time.h"

namespace {

// What a PNG written from a PNG keeps of it: grey, where the render is
// still grey, and its chunks; other formats say which of those they lack.
bool KeepPngTraits(ImageWriter::State& s, const OIIO::ImageSpec& header, std::string& error)
{
    bool ok = true;
    if (s.format == "png" && GreyPngInput(s.png_chunks)) {
        if (s.all_grey && s.headers.size() == 1)
            ok = s.greyed = RewriteAsGrey(s.fd, s.temp, header, error);
        else
            s.grey_note = "the grey input came out in colour: written as RGB";
    }
    if (ok && s.format == "png" && !s.png_chunks.empty())
        ok = CarryPngChunks(s.fd, s.png_chunks, s.colour_kept, s.chunks_note, error);
    const std::vector<std::string> png_only =
        s.format == "png" ? std::vector<std::string>() : PngOnlyChunks(s.png_chunks);
    if (!png_only.empty())
        s.chunks_note = "a ." + ExtensionOf(s.path) + " file cannot hold the input's PNG chunks " +
                        CommaList(png_only) + "; written without";
    return ok;
}

}  // namespace

bool CompleteWrittenFile(ImageWriter::State& s, const OIIO::ImageSpec& opened, std::string& error)
{
    return KeepPngTraits(s, opened, error) &&
           PutMetadataPackets(s.format, s.fd, s.packets, opened, s.packets_lost, error) &&
           NameDpxHeader(s.format, s.fd, s.path, error);
}

void AddNotes(const ImageWriter::State& s, const OIIO::ImageSpec& written, std::vector<std::string>& notes)
{
    if (!s.stale_note.empty()) notes.push_back(s.stale_note);
    if (!s.alpha_note.empty()) notes.push_back(s.alpha_note);
    if (!s.samples_note.empty()) notes.push_back(s.samples_note);
    const std::string compression = CompressionNote(s.format, ExtensionOf(s.path), s.compression, written);
    if (!compression.empty()) notes.push_back(compression);
    if (!s.text_note.empty()) notes.push_back(s.text_note);
    if (!s.carried_note.empty()) notes.push_back(s.carried_note);
    if (!s.chunks_note.empty()) notes.push_back(s.chunks_note);
    if (!s.grey_note.empty()) notes.push_back(s.grey_note);
    if (s.float_values != 0)
        notes.push_back(std::to_string(s.clipped) + " of " + std::to_string(s.float_values) +
                        " floating-point values were outside 0..1 and clipped to the ." + ExtensionOf(s.path) +
                        " file's " + SamplesName(s.headers[0]) + " samples");
    OIIO::ImageSpec wanted = s.headers[0];
    if (s.greyed) wanted.nchannels = written.nchannels;
    std::vector<std::string> lost = LostMetadata(wanted, written);
    lost.insert(lost.end(), s.packets_lost.begin(), s.packets_lost.end());
    if (!lost.empty())
        notes.push_back("a ." + ExtensionOf(s.path) + " file cannot hold the input's " + CommaList(lost) +
                        "; written without");
}
