#include "d3dx8/xfile/x_writer.h"

#include <cstdio>
#include <functional>
#include <set>

#include "d3dx8/xfile/x_emitter.h"
#include "d3dx8/xfile/x_header.h"
#include "d3dx8/xfile/x_mszip.h"

namespace nol::d3dx8::xfile {

namespace {

std::shared_ptr<const XTemplate> Standard(const char* name) { return StandardTemplates().FindExact(name); }

XNode Node(const char* templateName, std::string name = {}) {
    XNode n;
    n.tmpl = Standard(templateName);
    n.name = std::move(name);
    return n;
}

void PushColour(XNode& n, const D3DCOLORVALUE& c, bool alpha) {
    n.numbers.insert(n.numbers.end(), {c.r, c.g, c.b});
    if (alpha) n.numbers.push_back(c.a);
}

void PushFaces(XNode& n, const std::vector<std::vector<uint32_t>>& faces) {
    n.numbers.push_back(static_cast<double>(faces.size()));
    for (const auto& f : faces) {
        n.numbers.push_back(static_cast<double>(f.size()));
        n.numbers.insert(n.numbers.end(), f.begin(), f.end());
    }
}

void PushVectors(XNode& n, const std::vector<D3DXVECTOR3>& v) {
    n.numbers.push_back(static_cast<double>(v.size()));
    for (const D3DXVECTOR3& p : v) n.numbers.insert(n.numbers.end(), {p.x, p.y, p.z});
}

XNode MaterialNode(const XMaterialDesc& m) {
    XNode n = Node("Material", m.name);
    PushColour(n, m.diffuse, true);
    n.numbers.push_back(m.power);
    PushColour(n, m.specular, false);
    PushColour(n, m.emissive, false);
    if (!m.texture.empty()) {
        XNode t = Node("TextureFilename");
        t.strings.push_back(m.texture);
        n.children.push_back(std::move(t));
    }
    return n;
}

XNode MeshNode(const XMeshDesc& m) {
    XNode n = Node("Mesh", m.name);
    PushVectors(n, m.positions);
    PushFaces(n, m.faces);
    if (!m.normals.empty()) {
        XNode normals = Node("MeshNormals");
        PushVectors(normals, m.normals);
        PushFaces(normals, m.normalFaces);
        n.children.push_back(std::move(normals));
    }
    if (!m.texCoords.empty()) {
        XNode uv = Node("MeshTextureCoords");
        uv.numbers.push_back(static_cast<double>(m.texCoords.size()));
        for (const D3DXVECTOR2& t : m.texCoords) uv.numbers.insert(uv.numbers.end(), {t.x, t.y});
        n.children.push_back(std::move(uv));
    }
    if (!m.vertexColours.empty()) {
        XNode colours = Node("MeshVertexColors");
        colours.numbers.push_back(static_cast<double>(m.vertexColours.size()));
        for (const auto& [index, c] : m.vertexColours) {
            colours.numbers.push_back(index);
            PushColour(colours, c, true);
        }
        n.children.push_back(std::move(colours));
    }
    if (!m.materials.empty()) {
        XNode list = Node("MeshMaterialList");
        list.numbers.push_back(static_cast<double>(m.materials.size()));
        list.numbers.push_back(static_cast<double>(m.faceMaterials.size()));
        list.numbers.insert(list.numbers.end(), m.faceMaterials.begin(), m.faceMaterials.end());
        for (const XMaterialUse& use : m.materials) {
            if (use.reference.empty()) {
                list.children.push_back(MaterialNode(use.material));
            } else {
                XNode ref;
                ref.name = use.reference;
                list.children.push_back(std::move(ref));
            }
        }
        n.children.push_back(std::move(list));
    }
    return n;
}

XNode FrameNode(const XFrameDesc& f) {
    XNode n = Node("Frame", f.name);
    if (f.hasTransform) {
        XNode t = Node("FrameTransformMatrix");
        t.numbers.assign(&f.transform._11, &f.transform._11 + 16);
        n.children.push_back(std::move(t));
    }
    for (const std::string& name : f.meshReferences) {
        XNode ref;
        ref.name = name;
        n.children.push_back(std::move(ref));
    }
    for (const XMeshDesc& m : f.meshes) n.children.push_back(MeshNode(m));
    for (const XFrameDesc& child : f.frames) n.children.push_back(FrameNode(child));
    return n;
}

// Declares the templates the objects use, each after those it builds on.
void DeclareTemplates(XEmitter& out, const std::vector<XNode>& nodes) {
    std::set<const XTemplate*> done;
    std::function<void(const XTemplate&)> declare = [&](const XTemplate& t) {
        if (!done.insert(&t).second) return;
        for (const XMember& m : t.members)
            if (m.type) declare(*m.type);
        out.Template(t);
    };
    std::function<void(const XNode&)> visit = [&](const XNode& n) {
        if (n.tmpl) declare(*n.tmpl);
        for (const XNode& c : n.children) visit(c);
    };
    for (const XNode& n : nodes) visit(n);
}

}  // namespace

std::vector<uint8_t> WriteXFile(const XSceneDesc& scene, const XWriteOptions& options) {
    const bool binary = options.format == XWriteFormat::Binary || options.format == XWriteFormat::BinaryCompressed;
    const bool compressed =
        options.format == XWriteFormat::TextCompressed || options.format == XWriteFormat::BinaryCompressed;

    std::vector<XNode> nodes;
    if (options.writeHeader) {
        XNode header = Node("Header");
        header.numbers = {1, 0, 1};
        nodes.push_back(std::move(header));
    }
    for (const XMaterialDesc& m : scene.materials) nodes.push_back(MaterialNode(m));
    for (const XMeshDesc& m : scene.meshes) nodes.push_back(MeshNode(m));
    for (const XFrameDesc& f : scene.frames) nodes.push_back(FrameNode(f));

    XEmitter emitter(binary, options.floatBits);
    if (!binary) emitter.Body().push_back('\n');
    if (options.writeTemplates) DeclareTemplates(emitter, nodes);
    for (const XNode& n : nodes) emitter.Object(n);

    XHeader header;
    header.encoding = binary ? XEncoding::Binary : XEncoding::Text;
    header.compressed = compressed;
    header.floatBits = options.floatBits == 64 ? 64 : 32;
    const std::string head = FormatXHeader(header);
    std::vector<uint8_t> file(head.begin(), head.end());
    const std::vector<uint8_t>& body = emitter.Body();
    if (compressed) {
        std::vector<uint8_t> packed = MszipCompress(body.data(), body.size());
        file.insert(file.end(), packed.begin(), packed.end());
    } else {
        file.insert(file.end(), body.begin(), body.end());
    }
    return file;
}

bool WriteXFileToPath(const char* path, const XSceneDesc& scene, const XWriteOptions& options) {
    const std::vector<uint8_t> bytes = WriteXFile(scene, options);
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace nol::d3dx8::xfile
