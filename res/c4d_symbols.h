// Symbols of the module's string table.
enum
{
	IDS_PULSOR = 10000,

	_DUMMY_ELEMENT_
};
