{1}{25} = TAG is fixed
{51}{75} = TAG is fixed
{101}{125} = TAG is fixed
====================================================
>> 3 Fixed Strings
