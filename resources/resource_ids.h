// Resource ids of the Windows program, shared by the resource script and the code.
#pragma once

#define VINTOR_IDD_CONDITIONS 130
#define VINTOR_IDD_PROGRESS 131
#define VINTOR_IDI_PROGRAM 128
#define VINTOR_IDS_CONNECTED_VERSION 1
