// env.x: loaded by every course and never drawn, so a small valid model: one
// unit cube.
#include "datagen/generators.h"
#include "datagen/model.h"

namespace datagen {

bool WriteEnv(const std::string& dir) {
    Model model;
    Material grey;
    grey.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    const int material = model.AddMaterial(grey);
    model.AddBox(material, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
    return model.Write(dir + "/env.x", "env");
}

}  // namespace datagen
