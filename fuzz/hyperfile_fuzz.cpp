// The container file reader (presets, scenes) on arbitrary bytes. Beyond not
// crashing, whatever it accepts must survive a save: the containers read are
// written again, and reading that file back and writing it once more gives
// the same bytes.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "c4d.h"
#include "c4d_hyperfile.h"
#include "fuzz_common.h"
#include "scene_file.h"

namespace
{

BaseDocument* g_doc = nullptr;

// Reads every container of file with ident (at most a handful); FALSE when
// the file cannot be opened.
bool ReadAll(const std::filesystem::path& file, LONG ident, std::vector<BaseContainer>* out)
{
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(ident, Filename(file.string().c_str()), FILEOPEN_READ, FILEDIALOG_NONE))
		return false;
	for (int i = 0; i < 8; ++i)
	{
		BaseContainer bc;
		// Alternately a fresh container and a merge into the previous one.
		if (i % 2 == 1 && !out->empty())
			bc = out->back();
		if (!hf->ReadContainer(&bc, i % 2 == 0))
			break;
		out->push_back(bc);
	}
	// Reading past a refused container stays refused.
	BaseContainer after;
	after.SetLong(1, 7);
	if (!hf->ReadContainer(&after, TRUE) && (after.GetLong(1) != 7 || after.GetIndexData(1)))
		std::abort();
	hf->Close();
	return true;
}

bool WriteAll(const std::filesystem::path& file, LONG ident, const std::vector<BaseContainer>& containers)
{
	AutoAlloc<HyperFile> hf;
	if (!hf || !hf->Open(ident, Filename(file.string().c_str()), FILEOPEN_WRITE, FILEDIALOG_NONE))
		return false;
	for (const BaseContainer& bc : containers)
		if (!hf->WriteContainer(bc))
			return false;
	return hf->Close() != 0;
}

std::vector<uint8_t> Bytes(const std::filesystem::path& file)
{
	std::ifstream in(file, std::ios::binary);
	return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	pulsor_fuzz::QuietHost();
	// Links read from a file resolve against the active document.
	g_doc = BaseDocument::Alloc();
	BaseObject* cube = BaseObject::Alloc(Ocube);
	cube->SetName("Cube");
	g_doc->InsertObject(cube);
	cube->InsertTag(BaseTag::Alloc(Tdisplay));
	g_doc->InsertMaterial(BaseMaterial::Alloc(Mmaterial));
	HostSetActiveDocument(g_doc);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::filesystem::path& scratch = pulsor_fuzz::ScratchFolder();
	const std::filesystem::path input = scratch / "input";
	const std::vector<uint8_t> file = pulsor_fuzz::WithValidChecksums(data, size);
	pulsor_fuzz::WriteBytes(input, file.data(), file.size());
	// Whatever identification the file claims is the one asked for.
	const LONG ident = size >= 8 ? (LONG)pulsor_fuzz::LoadU32(data + 4) : 0;

	std::vector<BaseContainer> first;
	if (!ReadAll(input, ident, &first) || first.empty())
		return 0;
	const std::filesystem::path once = scratch / "once";
	const std::filesystem::path twice = scratch / "twice";
	if (!WriteAll(once, ident, first))
		return 0;
	std::vector<BaseContainer> second;
	if (!ReadAll(once, ident, &second) || second.size() != first.size())
		std::abort();
	if (!WriteAll(twice, ident, second) || Bytes(once) != Bytes(twice))
		std::abort();
	return 0;
}
