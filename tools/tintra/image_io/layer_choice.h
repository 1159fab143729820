// Which channels of a layered file are the picture: the choice compositors
// make. Unprefixed R, G, B (and A) or the "rgba" layer first; else the one
// layer that has R, G and B; else the user names one with --layer.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

// The channel indices of the chosen layer (alpha -1 when it has none).
struct LayerChoice {
    int colour[3] = {-1, -1, -1};
    int alpha = -1;
};

enum class LayerFound { Chosen, NotLayered, Refused };

// The layer of a channel name: what comes before its last dot ("" for "R").
std::string LayerOf(const std::string& channel);

// Chooses the colour layer of channel names; `wanted` is --layer's name
// ("" to choose as above). NotLayered: the names hold no R, G, B set, so
// other rules (grey, channel order) decide. Refused: error says why and
// lists the layers to choose from.
LayerFound ChooseLayer(const std::vector<std::string>& names, const std::string& wanted, LayerChoice& choice,
                       std::string& error);
