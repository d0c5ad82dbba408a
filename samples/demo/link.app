[APPLICATION]
Name=Link
Description=Inter-processor link, global to the multiprocessor system
User Trace=0
Code File Path=gen/link/
Header File Path=gen/link/
Option File Path=gen/link/
Report File Path=reports/
Kernel h file dirty=1
Kernel m file dirty=1
Project h file dirty=1
Project c file dirty=1
System RAM Available=4096
System RAM Manual Placement=0
System RAM Label=
Kernel Stack Available=256
Kernel Stack Manual Placement=0
Kernel Stack Label=
Anchor Address Fixed=0
Anchor Address Label=0
System Clock Rate Hz=1000
Is MP=1
Instances=2
Node Name=comms
Suffix=_c
C Source Extension=c
C Header Extension=h
Assembler Source Extension=s
Assembler Header Extension=inc
Generate Assembler Code=0
Generate i2symbols=1
Generate CPP Comments=1
Generate User ISRs=0
Extern Const=1
Generate DOS Files=0
User Version=7
Extended Context0=1
Extended Context1=1
Extended Context2=0
Extended Context3=0

[kproject.h_rev_top]
0="\x2f\x2a Link application: shared objects are visible on every node. \x2a\x2f"

[kmpinfo.h_user_incl]
0="#include \"nodes.h\""

[MODEL OPTIONS]
Application Heap=
Trace Buffer Size=
Verbose Asserts=

[Application Heap]
Value=8192
State=1

[Trace Buffer Size]
Value=256
State=1

[Verbose Asserts]
Value=1
State=1

[CLASS TYPES]
Event Source=4
Task=8
Semaphore=9
Queue=10
Special Service=14

[Event Source]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Dependent Class=Counter
Objects=OBJS Event Source

[OBJS Event Source]
esLinkTimer=

[esLinkTimer]
Description=Link timer
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Event Source
Objects=OBJS esLinkTimer

[OBJS esLinkTimer]
cntLinkTick=

[cntLinkTick]
Description=Link tick
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Counter
Modulus=100
System Timebase=1
Tickslice Counter=1
Objects=OBJS cntLinkTick

[OBJS cntLinkTick]
almLinkTimeout=

[almLinkTimeout]
Description=No answer from the peer
Dynamics Allowed=0
Number of Dynamics=0
Is MP=1
Trace Object=1
Trace Actor=0
Enabled=1
Class Name=Alarm
Initial Count=50
Recycle Count=0
Initial Expression=LINK_TIMEOUT
Recycle Expression=

[Counter]
Counter=5
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Dependent Class=Alarm

[Alarm]
Alarm=6
Statistics=0
Diagnostics=0
System Trace=1
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1

[Task]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=1
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Task

[OBJS Task]
tskLinkRx=
tskLinkTx=

[tskLinkRx]
Description=Receives frames from the main processor
Dynamics Allowed=0
Number of Dynamics=0
Is MP=1
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=LinkReceive
Initial Priority=5
Stack Size=1024
Starting Order Number=1
Extended Context0=1
Extended Context1=1
Manual=0
Label=
Attribute0=1
Attribute1=1

[tskLinkTx]
Description=Sends frames to the main processor
Dynamics Allowed=0
Number of Dynamics=0
Is MP=1
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=LinkTransmit
Initial Priority=6
Stack Size=1024
Starting Order Number=2
Extended Context0=0
Extended Context1=1
Manual=0
Label=
Attribute0=0
Attribute1=1

[Semaphore]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=1
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Semaphore

[OBJS Semaphore]
semLinkUp=

[semLinkUp]
Description=Link established
Dynamics Allowed=0
Number of Dynamics=0
Is MP=1
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Semaphore
Signal Type=0
Waiting Order=1

[Queue]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Queue

[OBJS Queue]
queFrames=

[queFrames]
Description=Frames waiting to be sent
Dynamics Allowed=0
Number of Dynamics=0
Is MP=1
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Queue
Width=16
Depth=8
Waiting Order=0
Width Expression=FRAME_SIZE
Depth Expression=
Alignment=4
Manual=0
Label=

[Special Service]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=16
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Special Service

[OBJS Special Service]
ssLinkReset=

[ssLinkReset]
Description=Resets the link hardware
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Special Service

