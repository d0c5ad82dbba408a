[APPLICATION]
Name=Control
Description=Motor control application
User Trace=0
Code File Path=gen/control/src/
Header File Path=gen/control/include/
Option File Path=gen/control/include/
Report File Path=reports/
Kernel h file dirty=1
Kernel m file dirty=1
Project h file dirty=1
Project c file dirty=1
System RAM Available=8192
System RAM Manual Placement=0
System RAM Label=
Kernel Stack Available=512
Kernel Stack Manual Placement=1
Kernel Stack Label=kernel_stack
Anchor Address Fixed=0
Anchor Address Label=0
System Clock Rate Hz=1000
Is MP=0
Instances=1
Node Name=
Suffix=
C Source Extension=c
C Header Extension=h
Assembler Source Extension=s
Assembler Header Extension=inc
Generate Assembler Code=1
Generate i2symbols=1
Generate CPP Comments=0
Generate User ISRs=1
Extern Const=1
Generate DOS Files=0
User Version=3
Extended Context0=1
Extended Context1=0
Extended Context2=0
Extended Context3=0

[kproject.c_user_incl]
0="#include \"board.h\""
1="#include \"motor.h\"  /\x2a drive constants \x2a/"

[kproject.c_rev_top]
0="/\x2a Motor controller kernel configuration.\x3b do not edit by hand. \x2a/"
1="/\x2a Revision 3: keypad scan added. \x2a/"

[kproject.h_rev_top]
0="/\x2a Copyright Korvane Systems. \x2a/"

[klvl.c_user_incl]
0="#include \"sched.h\""

[ktask.h_user_incl]
0="#include \"stacks.h\""
1="  #define STACK_GUARD 0x55  /\x2f indented on purpose"

[uexcptn.asm_rev_bot]
0="\x3b end of exception table"

[MODEL OPTIONS]
Application Heap=
Trace Buffer Size=
Verbose Asserts=

[Application Heap]
Value=4096
State=1
Override Binary=0

[Trace Buffer Size]
Value=128
State=1

[Verbose Asserts]
Value=0
State=0

[CLASS TYPES]
Level=1
Exception=3
Event Source=4
Pipe=7
Task=8
Semaphore=9
Queue=10
Mailbox=11
Partition=12
Mutex=13
Special Service=14

[Level]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Dependent Class=Thread
Objects=OBJS Level

[OBJS Level]
lvlControl=
lvlBackgnd=

[lvlControl]
Description=Control loop priority level
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Level
Scheduling Policy=0
Objects=OBJS lvlControl

[OBJS lvlControl]
thrMotor=
thrSensor=

[thrMotor]
Description=Motor commutation
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=1
Enabled=1
Class Name=Thread
Entry Point=MotorThread

[thrSensor]
Description=Hall sensor sampling
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Thread
Entry Point=SensorThread

[lvlBackgnd]
Description=Background work, round robin
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Level
Scheduling Policy=1
Objects=OBJS lvlBackgnd

[OBJS lvlBackgnd]
thrLogger=

[thrLogger]
Description=Writes the event log
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=0
Class Name=Thread
Entry Point=LoggerThread

[Thread]
Thread=2
Statistics=0
Diagnostics=0
System Trace=1
Dynamics Allowed=1
Number of Dynamics=4
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=1

[Exception]
Statistics=0
Diagnostics=1
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=0
h file dirty=0
m file dirty=0
Objects=OBJS Exception

[OBJS Exception]
excUart=
excFault=

[excUart]
Description=UART receive interrupt
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Exception
Interrupt Level=5
Vector Number=37
ISR Address=UartIsr

[excFault]
Description=Bus fault
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Exception
Interrupt Level=15
Vector Number=16
ISR Address=FaultHandler

[Event Source]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Dependent Class=Counter
Objects=OBJS Event Source

[OBJS Event Source]
esTimer=
esKeypad=

[esTimer]
Description=Hardware timer 0
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Event Source
Objects=OBJS esTimer

[OBJS esTimer]
cntSysTick=
cntSlice=

[cntSysTick]
Description=System tick counter
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Counter
Modulus=1000
System Timebase=1
Tickslice Counter=0
Objects=OBJS cntSysTick

[OBJS cntSysTick]
almWatchdog=
almBlink=

[almWatchdog]
Description=Kicks the watchdog
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Alarm
Initial Count=100
Recycle Count=100
Initial Expression=
Recycle Expression=

[almBlink]
Description=Status LED
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Alarm
Initial Count=250
Recycle Count=500
Initial Expression=BLINK_START
Recycle Expression=BLINK_PERIOD

[cntSlice]
Description=Round robin time slices
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Counter
Modulus=10
System Timebase=0
Tickslice Counter=0

[esKeypad]
Description=Keypad scan
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Event Source

[Counter]
Counter=5
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Dependent Class=Alarm

[Alarm]
Alarm=6
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=1
Number of Dynamics=2
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=1

[Pipe]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=0
h file dirty=1
m file dirty=0
Objects=OBJS Pipe

[OBJS Pipe]
pipeConsole=

[pipeConsole]
Description=Console output
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Pipe
Number of Buffers=8
Max Buffer Size=64
Number of Buffers Expression=CONSOLE_BUFFERS
Max Buffer Size Expression=
Alignment=4
Manual=1
Label=console_pool
Suppress Buffer Allocation=0

[Task]
Statistics=1
Diagnostics=1
System Trace=0
Dynamics Allowed=1
Number of Dynamics=2
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Task

[OBJS Task]
tskMain=
tskComms=
tskIdle=

[tskMain]
Description=Main control task
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=MainTask
Initial Priority=10
Stack Size=1024
Starting Order Number=1
Extended Context0=1
Extended Context1=0
Manual=0
Label=
Attribute0=1
Attribute1=1

[tskComms]
Description=Talks to the communications processor
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=CommsTask
Initial Priority=20
Stack Size=2048
Starting Order Number=2
Extended Context0=0
Extended Context1=0
Manual=1
Label=comms_stack
Attribute0=0
Attribute1=1

[tskIdle]
Description=Idle work
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=IdleTask
Initial Priority=126
Stack Size=256
Starting Order Number=3
Extended Context0=0
Extended Context1=0
Manual=0
Label=
Attribute0=0
Attribute1=0

[Semaphore]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=1
Number of Dynamics=3
Max Key Length=12
c file dirty=1
h file dirty=0
m file dirty=0
Objects=OBJS Semaphore

[OBJS Semaphore]
semTxDone=
semRxReady=

[semTxDone]
Description=Transmission finished
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Semaphore
Signal Type=0
Waiting Order=1

[semRxReady]
Description=Data received
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Semaphore
Signal Type=1
Waiting Order=1

[Queue]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Objects=OBJS Queue

[OBJS Queue]
queEvents=

[queEvents]
Description=Events for the main task
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Queue
Width=4
Depth=32
Waiting Order=0
Width Expression=
Depth Expression=EVENT_QUEUE_DEPTH * 2
Alignment=4
Manual=0
Label=

[Mailbox]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=0
h file dirty=0
m file dirty=0
Objects=OBJS Mailbox

[OBJS Mailbox]
mbxCommand=

[mbxCommand]
Description=Commands from the operator panel
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Mailbox
Waiting Order=1

[Partition]
Statistics=1
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Objects=OBJS Partition

[OBJS Partition]
prtBuffers=

[prtBuffers]
Description=Packet buffers
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Partition
Block Size=128
Number of Blocks=16
Waiting Order=0
Block Size Expression=
Number of Blocks Expression=PACKETS
Alignment=8
Manual=1
Label=packet_area

[Mutex]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=1
h file dirty=1
m file dirty=0
Objects=OBJS Mutex

[OBJS Mutex]
mtxBus=

[mtxBus]
Description=Guards the I2C bus
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Mutex
Priority Inversion=1
Waiting Order=0

[Special Service]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=12
c file dirty=0
h file dirty=0
m file dirty=0
Objects=OBJS Special Service

[OBJS Special Service]
ssFlashWrite=

[ssFlashWrite]
Description=Writes a flash page
Dynamics Allowed=0
Number of Dynamics=0
Is MP=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Special Service
