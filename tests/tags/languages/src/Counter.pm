package Counter;
use constant LIMIT => 10;
sub count { return 1; }
format STDOUT =
.
START: for (;;) { last; }
1;
