// The whole terminal back end, as the Linux program opens it.
#pragma once

struct backend;
extern const backend termbackend;
