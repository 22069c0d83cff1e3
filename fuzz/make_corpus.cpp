// Remakes the seed corpus in fuzz/corpus from real files: the shipped
// presets, scenes saved through the host, and the module's resources.
//   make_corpus SOURCE_DIR OUT_DIR
// Seeds are deterministic, so a remade corpus only differs where the file
// formats or the resources changed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "c4d.h"
#include "customgui_descproperty.h"
#include "host_services.h"
#include "linked_pulsor.h"
#include "pulsor.h"
#include "scene_file.h"

namespace fs = std::filesystem;

namespace
{

std::string Read(const fs::path& file)
{
	std::ifstream in(file, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const std::string& bytes)
{
	fs::create_directories(file.parent_path());
	std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void Drop(BaseDocument* doc, BaseTag* tag, BaseList2D* element, const DescID& id)
{
	AutoAlloc<AtomArray> elements;
	elements->Append(element);
	DescPropertyDragData payload = { elements, id };
	DragAndDrop drop = { doc, 0, DRAGTYPE_DESCID, &payload, 0 };
	doc->StartUndo();
	tag->Message(MSG_DRAGANDDROP, &drop);
	doc->EndUndo();
}

// A cube with a Pulsor tag and a material. With a link, the tag animates the
// cube's position Y (or the material's colour) through the modifier tabs.
bool SaveScene(const fs::path& file, int variant)
{
	BaseDocument* doc = BaseDocument::Alloc();
	HostSetActiveDocument(doc);
	if (variant > 0)
	{
		BaseObject* cube = BaseObject::Alloc(Ocube);
		cube->SetName("Cube");
		doc->InsertObject(cube);
		BaseMaterial* material = BaseMaterial::Alloc(Mmaterial);
		doc->InsertMaterial(material);
		BaseTag* tag = BaseTag::Alloc(PULSOR_TAG_ID);
		cube->InsertTag(tag);
		Pulsor* pulsor = static_cast<Pulsor*>(tag->GetNodeData());
		if (variant == 1)
		{
			Drop(doc, tag, cube, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0)));
			pulsor->AddTab(tag->GetDataInstance(), tag, PULSOR_MOD_NOISE);
			pulsor->AddTab(tag->GetDataInstance(), tag, PULSOR_MOD_SIN);
		}
		else
		{
			Drop(doc, tag, material, DescID(DescLevel(MATERIAL_COLOR_COLOR, DTYPE_COLOR, 0)));
			pulsor->AddTab(tag->GetDataInstance(), tag, PULSOR_MOD_CUSTOM);
		}
		doc->SetTime(BaseTime(12.0, 30.0));
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}
	std::string problem;
	const bool ok = SaveDocument(*doc, Filename(file.string().c_str()), &problem);
	if (!ok)
		std::fprintf(stderr, "make_corpus: %s\n", problem.c_str());
	HostSetActiveDocument(nullptr);
	BaseDocument::Free(doc);
	return ok;
}

} // namespace

int main(int argc, char** argv)
{
	if (argc != 3)
	{
		std::fprintf(stderr, "usage: make_corpus SOURCE_DIR OUT_DIR\n");
		return 2;
	}
	const fs::path source = argv[1];
	const fs::path out = argv[2];
	HostSetPluginPath(Filename(source.string().c_str()));
	if (!RegisterLinkedPulsor(source.string()))
		return 1;

	// Scenes, for the scene reader and the container reader alike.
	for (int variant = 0; variant < 3; ++variant)
	{
		const fs::path scene = out / "scene_fuzz" / ("scene" + std::to_string(variant));
		fs::create_directories(scene.parent_path());
		if (!SaveScene(scene, variant))
			return 1;
		Write(out / "hyperfile_fuzz" / ("scene" + std::to_string(variant)), Read(scene));
	}

	// The shipped presets, and the same bytes as decoder input for the hooks.
	std::vector<fs::path> presets;
	for (const auto& entry : fs::directory_iterator(source / "res" / "Presets"))
	{
		const std::string name = entry.path().filename().string();
		if (name.size() > 2 && name.compare(name.size() - 2, 2, "HF") == 0)
			presets.push_back(entry.path());
	}
	std::sort(presets.begin(), presets.end());
	int n = 0;
	for (const fs::path& preset : presets)
	{
		const std::string bytes = Read(preset);
		Write(out / "hyperfile_fuzz" / ("preset" + std::to_string(n)), bytes);
		Write(out / "tag_hooks_fuzz" / ("preset" + std::to_string(n)), bytes);
		++n;
	}
	std::mt19937 rng(1031805);
	for (size_t length : { 64u, 256u, 1024u })
	{
		std::string bytes(length, '\0');
		for (char& c : bytes)
			c = (char)(rng() & 0xFF);
		Write(out / "tag_hooks_fuzz" / ("random" + std::to_string(length)), bytes);
	}

	// The module's resources, NUL-separated in the order the reader loads them.
	const fs::path res = source / "res";
	const std::string symbols = Read(res / "c4d_symbols.h");
	const std::string strings = Read(res / "strings_us" / "c4d_strings.str");
	const std::string header = Read(res / "description" / "Pulsor.h");
	const std::string labels = Read(res / "strings_us" / "description" / "Pulsor.str");
	const std::string page = Read(res / "description" / "Pulsor.res");
	const std::string nul(1, '\0');
	Write(out / "resource_fuzz" / "module", symbols + nul + strings + nul + header + nul + labels + nul + page);
	Write(out / "resource_fuzz" / "strings", symbols + nul + strings);
	Write(out / "resource_fuzz" / "no_labels", symbols + nul + strings + nul + header + nul + nul + page);
	return 0;
}
