// Which file each input of a render goes to, decided and checked in full
// before anything is rendered, so that a bad plan does nothing at all.
#pragma once

#include <string>
#include <vector>

struct BatchItem {
    std::string input;
    std::string output;
};

struct BatchPlan {
    std::vector<BatchItem> items;
    std::string folder;  // the output folder to create; empty when OUT is a single file
    std::vector<std::string> subfolders;  // under folder, mirroring an input folder's (--recursive)
    std::string note;  // what the input folders' listings left out; empty: nothing
};

// The inputs may be files or folders of frames (every image file in it, by
// name). One input file goes to the file OUT unless OUT is an existing
// folder or ends in '/'; anything else goes into the folder OUT under the
// inputs' own names. Returns false with a usage error when the plan cannot be
// carried out: an empty folder, an unknown output format or a missing output
// folder, several inputs into an image file's name, two inputs for one
// output, or an output that is one of the inputs without allow_overwrite.
// ext (without the dot), when given, replaces the extension of the inputs'
// names in a folder of outputs. recursive: an input folder's sub-folders
// too, each output under the same path in OUT; else they are left out and
// counted in plan.note, as are files without an image extension.
bool PlanBatch(const std::vector<std::string>& inputs, const std::string& out, bool allow_overwrite, BatchPlan& plan,
               std::string& error, const std::string& ext = "", bool recursive = false);

// A file name with its extension replaced by ext (without the dot); as it
// is when ext is empty.
std::string WithExtension(const std::string& name, const std::string& ext);

// Refuses (with a usage error) to write output over input unless allowed.
bool CheckNotOverwriting(const std::string& input, const std::string& output, bool allow_overwrite,
                         std::string& error);

// Refuses a plan whose output is one of the inputs, any of them, not only
// its own: the input would be gone before its turn came.
bool CheckNoOutputIsAnInput(const std::vector<std::string>& inputs, const std::vector<BatchItem>& items,
                            std::string& error);

// mkdir -p.

bool MakeFolders(const std::string& path, std::string& error);
