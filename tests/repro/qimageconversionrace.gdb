# Forces the interleaving of the QSemaphore race (see qimageconversionrace.cpp):
# stops a pool thread inside QSemaphore::release() just after it handed over
# the last token, lets only the converting thread run on into fresh stack
# frames, then lets the pool thread execute its remaining write.
set pagination off
set confirm off
start 50
# release+46 is "lock and %rax,(%rdi)" in Debian's libQt5Core 5.15.8; the
# condition picks the release that completes the four tokens.
break *(((char*)&_ZN10QSemaphore7releaseEi)+46) if $_thread != 1 && *(unsigned int*)$rdi == 4
continue
set $pool = $_thread
set $word = (unsigned long*)$rdi
printf "pool thread stopped after its last token; semaphore word %p = %#lx\n", $word, *$word
delete
set scheduler-locking on
thread 1
break probeFilled
continue
printf "converting thread returned and refilled its stack: word %p = %#lx\n", $word, *$word
eval "thread %d", $pool
stepi
printf "after the pool thread's remaining write: word %p = %#lx\n", $word, *$word
delete
set scheduler-locking off
continue
