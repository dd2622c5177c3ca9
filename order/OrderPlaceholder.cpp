// The ordering program's windows come here.
