// Raised block lettering for the generated models: each letter a few boxes on a
// 7-row pixel grid, standing out of a surface so that it reads from in front of
// it.
#pragma once

#include <string>

#include "datagen/model.h"

namespace datagen {

// Pixel columns of the text: letters with one empty column between them.
// Letters without a glyph count as spaces.
int BlockTextColumns(const std::string& text);

// Adds text centred on centre, lying on a surface that faces along normal (not
// vertical), letters pixel high rows, standing depth out of the surface. It
// reads left to right for someone looking at the surface, upright along +y.
void AddBlockText(Model& model, int material, const std::string& text, const D3DXVECTOR3& centre,
                  const D3DXVECTOR3& normal, float pixel, float depth);
// The same as flat panels lifted lift off the surface: a sixth of the triangles,
// for lettering seen from afar.
void AddFlatText(Model& model, int material, const std::string& text, const D3DXVECTOR3& centre,
                 const D3DXVECTOR3& normal, float pixel, float lift);

}  // namespace datagen
