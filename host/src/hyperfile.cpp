// Container files. Layout, all integers little-endian and fixed width, reals
// as the bits of their 64-bit IEEE pattern, so a file reads the same on every
// machine:
//
//   header:    u32 magic 'PLHF', i32 ident, u32 format version
//   record:    i32 type (DA_CONTAINER), u32 length, payload, u32 CRC-32 of
//              type, length and payload -- one per WriteContainer
//   container: i32 id, u32 count, count x (i32 entry id, value), entry ids
//              strictly ascending
//   value:     i32 type, u32 length, payload of exactly length bytes
//
// Every length is checked against the bytes that are left before anything
// is read or allocated, nesting is limited, and a value must fill its length
// exactly; the checksum catches damage that still parses.
#include "c4d_hyperfile.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "c4d_basedocument.h"
#include "customgui_bitmapbutton.h"
#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "file_links.h"
#include "hyperfile_host.h"
#include "host_string.h"
#include "platform.h"
#include "spline_knots.h"

namespace
{

const uint32_t kMagic = 0x46484C50u;    // "PLHF" as it appears in the file
const uint32_t kVersion = 1;
const int kMaxDepth = 64;
// Entry id, value type and value length.
const size_t kMinEntrySize = 12;
// Position, flags and two tangents.
const size_t kKnotSize = 3 * 8 + 4 + 3 * 8 + 3 * 8;

uint32_t Crc32(const uint8_t* p, size_t n)
{
	static const std::vector<uint32_t> table = [] {
		std::vector<uint32_t> t(256);
		for (uint32_t i = 0; i < 256; ++i)
		{
			uint32_t c = i;
			for (int k = 0; k < 8; ++k)
				c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
			t[i] = c;
		}
		return t;
	}();
	uint32_t c = 0xFFFFFFFFu;
	for (size_t i = 0; i < n; ++i)
		c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
	return c ^ 0xFFFFFFFFu;
}

// ---- Writing ----------------------------------------------------------------

class Writer
{
public:
	std::vector<uint8_t> out;

	void U8(uint8_t v) { out.push_back(v); }
	void U32(uint32_t v)
	{
		for (int i = 0; i < 4; ++i)
			out.push_back((uint8_t)(v >> (8 * i)));
	}
	void I32(LONG v) { U32((uint32_t)v); }
	void U64(uint64_t v)
	{
		for (int i = 0; i < 8; ++i)
			out.push_back((uint8_t)(v >> (8 * i)));
	}
	void F64(Real v)
	{
		uint64_t bits;
		std::memcpy(&bits, &v, sizeof bits);
		U64(bits);
	}
	void Vec(const Vector& v) { F64(v.x); F64(v.y); F64(v.z); }
	void Bytes(const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
	void PatchU32(size_t at, uint32_t v)
	{
		for (int i = 0; i < 4; ++i)
			out[at + (size_t)i] = (uint8_t)(v >> (8 * i));
	}
};

void WriteDescID(Writer& w, const DescID& id)
{
	w.U32((uint32_t)id.GetDepth());
	for (LONG i = 0; i < id.GetDepth(); ++i)
	{
		w.I32(id[i].id);
		w.I32(id[i].dtype);
		w.I32(id[i].creator);
	}
}

bool WriteContainerPayload(Writer& w, const BaseContainer& bc, int depth);

// FALSE for a value the format cannot hold (custom data of a type it does not
// know), or nesting that reading would refuse.
bool WriteValue(Writer& w, const GeData& d, int depth)
{
	const LONG type = d.GetType();
	w.I32(type);
	const size_t lengthAt = w.out.size();
	w.U32(0);
	const size_t start = w.out.size();
	switch (type)
	{
		case DA_NIL: break;
		case DA_LONG: w.I32(d.GetLong()); break;
		case DA_LLONG: w.U64((uint64_t)d.GetLLong()); break;
		case DA_REAL: w.F64(d.GetReal()); break;
		case DA_TIME: w.F64(d.GetTime().GetNumerator()); w.F64(d.GetTime().GetDenominator()); break;
		case DA_VECTOR: w.Vec(d.GetVector()); break;
		case DA_STRING: w.Bytes(d.GetString().GetStdString()); break;
		case DA_FILENAME: w.Bytes(d.GetFilename().GetString().GetStdString()); break;
		case DA_CONTAINER:
			if (!WriteContainerPayload(w, *d.GetContainer(), depth + 1))
				return false;
			break;
		case DA_ALIASLINK:
		{
			const BaseList2D* element = d.GetLink(nullptr);
			w.U8(element ? 1 : 0);
			if (element)
			{
				w.U64((uint64_t)element->GetUniqueId());
				w.I32(element->GetType());
				w.Bytes(element->GetName().GetStdString());
			}
			break;
		}
		case CUSTOMDATATYPE_DESCID:
			WriteDescID(w, *static_cast<const DescID*>(d.GetCustomDataType(type)));
			break;
		case CUSTOMDATATYPE_SPLINE:
		{
			const SplineData* sd = static_cast<const SplineData*>(d.GetCustomDataType(type));
			w.U32((uint32_t)sd->GetKnotCount());
			for (LONG i = 0; i < sd->GetKnotCount(); ++i)
			{
				const CustomSplineKnot* k = ReadKnot(*sd, i);
				w.Vec(k->vPos);
				w.I32(k->lFlagsSettings);
				w.Vec(k->vTangentLeft);
				w.Vec(k->vTangentRight);
			}
			break;
		}
		case CUSTOMGUI_PRIORITY_DATA:
		{
			const PriorityData* pd = static_cast<const PriorityData*>(d.GetCustomDataType(type));
			w.I32(pd->GetPriorityValue(PRIORITYVALUE_MODE).GetLong());
			w.I32(pd->GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong());
			w.I32(pd->GetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT).GetLong());
			break;
		}
		case CUSTOMDATATYPE_BITMAPBUTTON:
		{
			// The element pointer means nothing in another session.
			const BitmapButtonStruct* bb = static_cast<const BitmapButtonStruct*>(d.GetCustomDataType(type));
			WriteDescID(w, bb->id);
			w.U32((uint32_t)bb->dirty);
			break;
		}
		default:
			return false;
	}
	const size_t length = w.out.size() - start;
	if (length > 0xFFFFFFFFu)
		return false;
	w.PatchU32(lengthAt, (uint32_t)length);
	return true;
}

bool WriteContainerPayload(Writer& w, const BaseContainer& bc, int depth)
{
	if (depth > kMaxDepth)
		return false;
	w.I32(bc.GetId());
	const size_t countAt = w.out.size();
	w.U32(0);
	uint32_t count = 0;
	for (LONG i = 0; const GeData* d = bc.GetIndexData(i); ++i, ++count)
	{
		w.I32(bc.GetIndexId(i));
		if (!WriteValue(w, *d, depth))
			return false;
	}
	w.PatchU32(countAt, count);
	return true;
}

// ---- Reading ----------------------------------------------------------------

class Reader
{
public:
	Reader(const uint8_t* p, size_t n) : p_(p), n_(n), pos_(0) {}

	size_t Left() const { return n_ - pos_; }
	bool U8(uint8_t* v)
	{
		if (Left() < 1)
			return false;
		*v = p_[pos_++];
		return true;
	}
	bool U32(uint32_t* v)
	{
		if (Left() < 4)
			return false;
		*v = 0;
		for (int i = 0; i < 4; ++i)
			*v |= (uint32_t)p_[pos_ + (size_t)i] << (8 * i);
		pos_ += 4;
		return true;
	}
	bool I32(LONG* v)
	{
		uint32_t u;
		if (!U32(&u))
			return false;
		*v = (LONG)u;
		return true;
	}
	bool U64(uint64_t* v)
	{
		if (Left() < 8)
			return false;
		*v = 0;
		for (int i = 0; i < 8; ++i)
			*v |= (uint64_t)p_[pos_ + (size_t)i] << (8 * i);
		pos_ += 8;
		return true;
	}
	bool F64(Real* v)
	{
		uint64_t bits;
		if (!U64(&bits))
			return false;
		std::memcpy(v, &bits, sizeof bits);
		return true;
	}
	bool Vec(Vector* v) { return F64(&v->x) && F64(&v->y) && F64(&v->z); }
	// The rest of this reader as text.
	std::string Rest()
	{
		std::string s(reinterpret_cast<const char*>(p_ + pos_), Left());
		pos_ = n_;
		return s;
	}
	// A reader over the next n bytes, which this one skips.
	bool Sub(size_t n, Reader* sub)
	{
		if (Left() < n)
			return false;
		*sub = Reader(p_ + pos_, n);
		pos_ += n;
		return true;
	}

private:
	const uint8_t* p_;
	size_t n_;
	size_t pos_;
};

struct ReadContext
{
	const LinkResolver* resolver;
};

bool ReadDescID(Reader& r, DescID* id)
{
	uint32_t depth;
	if (!r.U32(&depth) || depth > (uint32_t)DescID::MAX_DEPTH || r.Left() < (size_t)depth * 12)
		return false;
	DescID result;
	for (uint32_t i = 0; i < depth; ++i)
	{
		LONG level, dtype, creator;
		if (!r.I32(&level) || !r.I32(&dtype) || !r.I32(&creator))
			return false;
		result.PushId(DescLevel(level, dtype, creator));
	}
	*id = result;
	return true;
}

BaseList2D* ResolveLink(const ReadContext& ctx, LLONG uniqueId, LONG type, const String& name)
{
	if (ctx.resolver && *ctx.resolver)
	{
		if (BaseList2D* element = (*ctx.resolver)(uniqueId, type, name))
			return element;
	}
	return FindElementForLink(GetActiveDocument(), uniqueId, type, name);
}

bool ReadContainerPayload(Reader& r, const ReadContext& ctx, int depth, BaseContainer* out);

bool ReadValue(Reader& outer, const ReadContext& ctx, int depth, GeData* out)
{
	LONG type;
	uint32_t length;
	Reader r(nullptr, 0);
	if (!outer.I32(&type) || !outer.U32(&length) || !outer.Sub(length, &r))
		return false;
	GeData value;
	switch (type)
	{
		case DA_NIL: break;
		case DA_LONG:
		{
			LONG v;
			if (!r.I32(&v))
				return false;
			value = GeData(v);
			break;
		}
		case DA_LLONG:
		{
			uint64_t v;
			if (!r.U64(&v))
				return false;
			value = GeData((LLONG)v, LLONGVALUE);
			break;
		}
		case DA_REAL:
		{
			Real v;
			if (!r.F64(&v))
				return false;
			value = GeData(v);
			break;
		}
		case DA_TIME:
		{
			Real num, den;
			if (!r.F64(&num) || !r.F64(&den))
				return false;
			value = GeData(BaseTime(num, den));
			break;
		}
		case DA_VECTOR:
		{
			Vector v;
			if (!r.Vec(&v))
				return false;
			value = GeData(v);
			break;
		}
		case DA_STRING: value = GeData(HostString(r.Rest())); break;
		case DA_FILENAME: value = GeData(Filename(HostString(r.Rest()))); break;
		case DA_CONTAINER:
		{
			BaseContainer bc;
			if (!ReadContainerPayload(r, ctx, depth + 1, &bc))
				return false;
			value = GeData(bc);
			break;
		}
		case DA_ALIASLINK:
		{
			uint8_t present;
			if (!r.U8(&present) || present > 1)
				return false;
			BaseList2D* element = nullptr;
			if (present)
			{
				uint64_t id;
				LONG elementType;
				if (!r.U64(&id) || !r.I32(&elementType))
					return false;
				element = ResolveLink(ctx, (LLONG)id, elementType, HostString(r.Rest()));
			}
			value.SetBaseList2D(element);
			break;
		}
		case CUSTOMDATATYPE_DESCID:
		{
			DescID id;
			if (!ReadDescID(r, &id))
				return false;
			value = GeData(type, id);
			break;
		}
		case CUSTOMDATATYPE_SPLINE:
		{
			uint32_t count;
			if (!r.U32(&count) || count > (uint32_t)SplineData::MAX_KNOTS || r.Left() != (size_t)count * kKnotSize)
				return false;
			SplineData sd;
			// Knots are placed first and then overwritten in file order, so the
			// curve comes back exactly as it was, positions not finite included.
			for (uint32_t i = 0; i < count; ++i)
				if (sd.InsertKnot(0.0, 0.0) < 0)
					return false;
			for (uint32_t i = 0; i < count; ++i)
			{
				CustomSplineKnot k;
				if (!r.Vec(&k.vPos) || !r.I32(&k.lFlagsSettings) || !r.Vec(&k.vTangentLeft) || !r.Vec(&k.vTangentRight))
					return false;
				*sd.GetKnot((LONG)i) = k;
			}
			value = GeData(type, sd);
			break;
		}
		case CUSTOMGUI_PRIORITY_DATA:
		{
			LONG mode, priority, camera;
			if (!r.I32(&mode) || !r.I32(&priority) || !r.I32(&camera))
				return false;
			PriorityData pd;
			pd.SetPriorityValue(PRIORITYVALUE_MODE, GeData(mode));
			pd.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData(priority));
			pd.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData(camera));
			value = GeData(type, pd);
			break;
		}
		case CUSTOMDATATYPE_BITMAPBUTTON:
		{
			DescID id;
			uint32_t dirty;
			if (!ReadDescID(r, &id) || !r.U32(&dirty))
				return false;
			value = GeData(type, BitmapButtonStruct(nullptr, id, (LONG)dirty));
			break;
		}
		default:
			return false;
	}
	// A value that does not fill its length exactly is damaged.
	if (r.Left() != 0)
		return false;
	// Out of memory while copying custom data leaves the value empty.
	if (value.GetType() != type)
		return false;
	out->Swap(value);
	return true;
}

bool ReadContainerPayload(Reader& r, const ReadContext& ctx, int depth, BaseContainer* out)
{
	LONG id;
	uint32_t count;
	if (depth > kMaxDepth || !r.I32(&id) || !r.U32(&count) || count > r.Left() / kMinEntrySize)
		return false;
	BaseContainer bc(id);
	LONG previous = 0;
	for (uint32_t i = 0; i < count; ++i)
	{
		LONG entry;
		GeData value;
		if (!r.I32(&entry) || (i > 0 && entry <= previous) || !ReadValue(r, ctx, depth, &value))
			return false;
		bc.SetData(entry, value);
		previous = entry;
	}
	if (r.Left() != 0)
		return false;
	*out = bc;
	return true;
}

// ---- HyperFile --------------------------------------------------------------

// Why the last failed step of any HyperFile failed, for the embedding program:
// a module only ever sees FALSE.
std::mutex problemMutex;
std::string lastProblem, lastProblemFile;

void Report(const std::string& file, const std::string& problem)
{
	std::lock_guard<std::mutex> lock(problemMutex);
	lastProblem = problem;
	lastProblemFile = file;
}

} // namespace

std::string HyperFileLastProblem(std::string* file)
{
	std::lock_guard<std::mutex> lock(problemMutex);
	if (file)
		*file = lastProblemFile;
	return lastProblem;
}

void HyperFileClearLastProblem()
{
	std::lock_guard<std::mutex> lock(problemMutex);
	lastProblem.clear();
	lastProblemFile.clear();
}

struct HyperFile::Impl
{
	enum State { CLOSED, READING, WRITING };
	State state = CLOSED;
	// A write or read failed: the file is no longer trusted, and a file being
	// written never replaces its target.
	bool failed = false;

	std::vector<uint8_t> data;
	size_t pos = 0;

	std::string path;
	platform::FileReplacement out;
	// Writing into memory instead: the bytes gather in written and go to
	// *memory when the file closes whole.
	std::vector<uint8_t>* memory = nullptr;
	std::vector<uint8_t> written;

	LinkResolver resolver;

	bool Fail(const std::string& problem)
	{
		failed = true;
		Report(path, problem);
		return false;
	}

	bool ReadToEnd() const { return state == READING && !failed && pos == data.size(); }

	bool WriteAll(const std::vector<uint8_t>& bytes)
	{
		if (memory)
		{
			written.insert(written.end(), bytes.begin(), bytes.end());
			return true;
		}
		return out.Write(bytes.data(), bytes.size()) || Fail(out.Problem());
	}

	// Takes a whole file's bytes for reading, once its header says it is a
	// container file of kind ident.
	bool TakeForReading(LONG ident, const uint8_t* bytes, size_t size)
	{
		if (size < 12)
			return Fail(size == 0 ? "empty file" : "too short for a container file");
		Reader r(bytes, size);
		uint32_t magic, version;
		LONG fileIdent;
		r.U32(&magic);
		r.I32(&fileIdent);
		r.U32(&version);
		if (magic != kMagic)
			return Fail("not a container file");
		if (fileIdent != ident)
			return Fail("a container file of another kind");
		if (version != kVersion)
			return Fail("a container file of another version");
		data.assign(bytes, bytes + size);
		pos = 12;
		state = READING;
		return true;
	}

	bool BeginWriting(LONG ident)
	{
		state = WRITING;
		Writer w;
		w.U32(kMagic);
		w.I32(ident);
		w.U32(kVersion);
		if (WriteAll(w.out))
			return true;
		Reset();
		return false;
	}

	// Drops an unfinished write: the temporary file goes, the target stays.
	void Reset()
	{
		out.Abandon();
		memory = nullptr;
		written.clear();
		written.shrink_to_fit();
		state = CLOSED;
		failed = false;
		data.clear();
		data.shrink_to_fit();
		pos = 0;
		path.clear();
	}
};

HyperFile::HyperFile() : impl_(new Impl) {}

// A file that was never closed is not known to be complete, so it never
// replaces the target.
HyperFile::~HyperFile()
{
	impl_->Reset();
	delete impl_;
}

HyperFile* HyperFile::Alloc()
{
	return new HyperFile;
}

void HyperFile::Free(HyperFile*& hf)
{
	delete hf;
	hf = nullptr;
}

Bool HyperFile::Open(LONG ident, const Filename& name, FILEOPEN mode, FILEDIALOG error_dialog)
{
	(void)error_dialog;
	impl_->Reset();
	const std::string path = name.GetString().GetStdString();
	impl_->path = path;
	if (path.empty())
		return impl_->Fail("no file name");
	if (mode == FILEOPEN_READ)
	{
		std::string bytes, problem;
		if (!platform::ReadFileBounded(path, platform::kMaxInputFileSize, &bytes, &problem))
			return impl_->Fail(problem);
		return impl_->TakeForReading(ident, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) ? TRUE : FALSE;
	}
	if (mode != FILEOPEN_WRITE)
		return impl_->Fail("can only be opened for reading or writing");

	if (!impl_->out.Begin(path))
		return impl_->Fail(impl_->out.Problem());
	return impl_->BeginWriting(ident) ? TRUE : FALSE;
}

Bool HyperFile::WriteContainer(const BaseContainer& v)
{
	if (impl_->state != Impl::WRITING || impl_->failed)
		return FALSE;
	Writer w;
	w.I32(DA_CONTAINER);
	w.U32(0);
	// A refused container spoils the whole file: a writer that ignores the
	// answer and closes must not replace a good file with an incomplete one.
	if (!WriteContainerPayload(w, v, 1))
		return impl_->Fail("holds a value that this file format cannot store, or nesting too deep");
	if (w.out.size() - 8 > 0xFFFFFFFFu)
		return impl_->Fail("a container too large for this file format");
	w.PatchU32(4, (uint32_t)(w.out.size() - 8));
	w.U32(Crc32(w.out.data(), w.out.size()));
	return impl_->WriteAll(w.out) ? TRUE : FALSE;
}

Bool HyperFile::ReadContainer(BaseContainer* v, Bool flush)
{
	if (!v || impl_->state != Impl::READING || impl_->failed)
		return FALSE;
	Reader file(impl_->data.data() + impl_->pos, impl_->data.size() - impl_->pos);
	if (file.Left() == 0)
		return impl_->Fail("no further container in the file");
	LONG type;
	uint32_t length;
	Reader payload(nullptr, 0);
	uint32_t crc;
	if (!file.I32(&type) || type != DA_CONTAINER || !file.U32(&length) || !file.Sub(length, &payload) || !file.U32(&crc)
		|| Crc32(impl_->data.data() + impl_->pos, (size_t)length + 8) != crc)
		return impl_->Fail("truncated or damaged");
	ReadContext ctx{ &impl_->resolver };
	BaseContainer bc;
	if (!ReadContainerPayload(payload, ctx, 1, &bc))
		return impl_->Fail("a container that does not read (damaged, or nested too deep)");
	impl_->pos += (size_t)length + 12;
	if (flush)
	{
		*v = bc;
	}
	else
	{
		v->MergeContainer(bc);
		v->SetId(bc.GetId());
	}
	return TRUE;
}

Bool HyperFile::Close()
{
	if (impl_->state == Impl::READING)
	{
		impl_->Reset();
		return TRUE;
	}
	if (impl_->state != Impl::WRITING)
		return FALSE;
	if (impl_->memory)
	{
		const bool whole = !impl_->failed;
		if (whole)
			impl_->memory->swap(impl_->written);
		impl_->Reset();
		return whole ? TRUE : FALSE;
	}
	const bool ok = !impl_->failed
		&& ((impl_->out.Finish() && impl_->out.Install()) || impl_->Fail(impl_->out.Problem()));
	impl_->Reset();
	return ok ? TRUE : FALSE;
}

struct HyperFile::HostAccess
{
	static Impl* Of(HyperFile* hf) { return hf->impl_; }
};

void HyperFileSetLinkResolver(HyperFile* hf, LinkResolver resolver)
{
	if (hf)
		HyperFile::HostAccess::Of(hf)->resolver = std::move(resolver);
}

bool HyperFileReadToEnd(HyperFile* hf)
{
	return hf && HyperFile::HostAccess::Of(hf)->ReadToEnd();
}

bool HyperFileOpenMemoryWrite(HyperFile* hf, LONG ident, std::vector<uint8_t>* bytes)
{
	if (!hf || !bytes)
		return false;
	auto* impl = HyperFile::HostAccess::Of(hf);
	impl->Reset();
	impl->path = "(memory)";
	impl->memory = bytes;
	return impl->BeginWriting(ident);
}

bool HyperFileOpenMemoryRead(HyperFile* hf, LONG ident, const std::vector<uint8_t>& bytes)
{
	if (!hf)
		return false;
	auto* impl = HyperFile::HostAccess::Of(hf);
	impl->Reset();
	impl->path = "(memory)";
	return impl->TakeForReading(ident, bytes.data(), bytes.size());
}
