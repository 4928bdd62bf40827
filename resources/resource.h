// Resource numbers shared by keyra.rc and the code.
#pragma once
#define IDI_KEYRA 1
#define IDB_MINIMIZE 202
#define IDB_CLOSE 204
#define IDR_EASTEREGG 300
