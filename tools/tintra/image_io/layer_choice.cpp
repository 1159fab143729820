#include "tools/tintra/image_io/layer_choice.h"

#include <map>

#include "tools/tintra/image_io/image_formats.h"

namespace {

// Channel name -> index, by layer; the last part of each name is its role.
using Layers = std::map<std::string, std::map<std::string, int>>;

Layers LayersOf(const std::vector<std::string>& names)
{
    Layers layers;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string layer = LayerOf(names[i]);
        const std::string role = layer.empty() ? names[i] : names[i].substr(layer.size() + 1);
        layers[layer][role] = (int)i;
    }
    return layers;
}

bool HasColour(const std::map<std::string, int>& roles)
{
    return roles.count("R") != 0 && roles.count("G") != 0 && roles.count("B") != 0;
}

// A layer of colour without alpha of its own takes the file's unprefixed
// A, as a beauty pass stored beside it has.
LayerFound Take(const Layers& layers, const std::string& layer, LayerChoice& choice)
{
    const std::map<std::string, int>& roles = layers.at(layer);
    choice.colour[0] = roles.at("R");
    choice.colour[1] = roles.at("G");
    choice.colour[2] = roles.at("B");
    const auto alpha = roles.find("A");
    choice.alpha = alpha != roles.end() ? alpha->second : -1;
    const auto unnamed = layers.find("");
    if (choice.alpha < 0 && unnamed != layers.end() && unnamed->second.count("A") != 0)
        choice.alpha = unnamed->second.at("A");
    return LayerFound::Chosen;
}

std::string Listed(const std::vector<std::string>& layers)
{
    std::vector<std::string> shown;
    for (const std::string& layer : layers) shown.push_back(layer.empty() ? "(unnamed: R, G, B)" : layer);
    return CommaList(shown);
}

}  // namespace

std::string LayerOf(const std::string& channel)
{
    const size_t dot = channel.rfind('.');
    return dot == std::string::npos ? "" : channel.substr(0, dot);
}

LayerFound ChooseLayer(const std::vector<std::string>& names, const std::string& wanted, LayerChoice& choice,
                       std::string& error)
{
    const Layers layers = LayersOf(names);
    std::vector<std::string> coloured;
    for (const auto& layer : layers)
        if (HasColour(layer.second)) coloured.push_back(layer.first);
    if (!wanted.empty()) {
        const auto found = layers.find(wanted);
        if (found != layers.end() && HasColour(found->second)) return Take(layers, wanted, choice);
        error = "no layer \"" + wanted + "\" with R, G and B channels" +
                (coloured.empty() ? std::string(" (the file has none)") : "; the file has " + Listed(coloured));
        return LayerFound::Refused;
    }
    for (const char* first : {"", "rgba"}) {
        const auto found = layers.find(first);
        if (found != layers.end() && HasColour(found->second)) return Take(layers, first, choice);
    }
    if (coloured.size() == 1) return Take(layers, coloured[0], choice);
    if (coloured.empty()) return LayerFound::NotLayered;
    error = "unsupported: " + std::to_string(coloured.size()) + " colour layers (" + Listed(coloured) +
            "); choose one with --layer NAME";
    return LayerFound::Refused;
}
