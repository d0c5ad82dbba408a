[APPLICATION]
Name=Monitor
Description=Health monitor, saved by an older generator
User Trace=1
Code File Path=gen/monitor/
Header File Path=gen/monitor/
Option File Path=gen/monitor/
Report File Path=reports/
Kernel h file dirty=0
Kernel m file dirty=0
Project h file dirty=0
Project m file dirty=1
System RAM Available=2048
System RAM Manual Placement=1
System RAM Label=monitor_sysram
Kernel Stack Available=256
Kernel Stack Manual Placement=0
Kernel Stack Label=
Anchor Address Fixed=1
Anchor Address Label=0x20000400
System Clock Rate Hz=100
Global=0
Instances=1
C Source Extension=c
C Header Extension=h
Assembler Source Extension=s
Assembler Header Extension=inc
Generate Assembler Code=0
Generate i2symbols=0
Generate CPP Comments=1
Generate User ISRs=0
Extern Const=1
User Version=1

[MODEL OPTIONS]
Application Heap=
Trace Buffer Size=
Verbose Asserts=

[Application Heap]
Value=1024
State=1

[Trace Buffer Size]
Value=16
State=1

[Verbose Asserts]
Value=0
State=1

[CLASS TYPES]
Level=1
Task=8
Semaphore=9

[Level]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=8
c file dirty=1
h file dirty=1
m file dirty=1
Dependent Class=Thread
Objects=OBJS Level

[OBJS Level]
lvlMon=

[lvlMon]
Description=Monitor level
Dynamics Allowed=0
Number of Dynamics=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Level
Scheduling Policy=0
Objects=OBJS lvlMon

[OBJS lvlMon]
thrBeat=

[thrBeat]
Description=Heartbeat to the operator panel
Class Name=Thread
Entry Point=Heartbeat

[Thread]
Thread=2
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=8
c file dirty=1
h file dirty=1
m file dirty=1

[Task]
Statistics=1
Diagnostics=1
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=8
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Task

[OBJS Task]
tskMon=

[tskMon]
Description=Checks temperatures and voltages
Dynamics Allowed=0
Number of Dynamics=0
Trace Object=0
Trace Actor=0
Enabled=1
Class Name=Task
Entry Point=MonitorTask
Initial Priority=50
Stack Size=512
Starting Order Number=4
Extended Context0=0
Manual=0
Label=
Attribute0=0
Attribute1=1

[Semaphore]
Statistics=0
Diagnostics=0
System Trace=0
Dynamics Allowed=0
Number of Dynamics=0
Max Key Length=8
c file dirty=1
h file dirty=1
m file dirty=1
Objects=OBJS Semaphore

[OBJS Semaphore]
semAlarm=

[semAlarm]
Description=Raised when a limit is crossed
Class Name=Semaphore
Signal Type=1
Waiting Order=1
